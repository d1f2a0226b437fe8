#include "favorites/favoritecommands.h"

#include "app/documentmodel.h"
#include "favorites/addfavoritedialog.h"
#include "favorites/favform.h"
#include "favorites/favoritesscan.h"
#include "platform/browser.h"
#include "platform/services.h"
#include "platform/webbrowser.h"
#include "platform/windowplacement.h"

#include <QDir>
#include <QPointer>

FavoriteCommands::FavoriteCommands(DocumentModel &document, Services &services, const Browser &browser, QWidget *window)
    : m_document(document), m_services(services), m_browser(browser), m_window(window)
{
}

FavoriteCommands::~FavoriteCommands() = default;
FavForm *FavoriteCommands::form() const
{
    return m_form.window();
}
void FavoriteCommands::closeWindow()
{
    m_form.destroy();
}

void FavoriteCommands::view()
{
    bringForward(m_form.get([this] {
        auto *form = new FavForm;
        connect(form, &FavForm::favoriteChosen, this, &FavoriteCommands::chosen);
        form->Form_Load();
        placeBeside(form, m_window);
        return form;
    }));
}

void FavoriteCommands::chosen(const QString &url)
{
    if (url.trimmed().isEmpty()) {
        m_services.prompts().message(m_window, QStringLiteral("このお気に入りにはアドレスがありません。"));
        return;
    }
    // An address no page can come from is said at once: asking first about
    // the edits would give them up for nothing.
    if (!m_browser.canLoad(WebBrowser::urlFromUserInput(url))) {
        m_services.prompts().message(
            m_window, QStringLiteral("「%1」を開けません。アドレスを確かめてください。").arg(url.trimmed()));
        return;
    }
    Q_EMIT open(url);
}

void FavoriteCommands::add()
{
    // One add dialog at a time, for the page shown now.
    delete m_window->findChild<AddFavoriteDialog *>(QString(), Qt::FindDirectChildrenOnly);
    auto *dialog = new AddFavoriteDialog(favorites::favoritesFolder(), m_document.docElement().Document.URL,
                                         m_document.docName(), m_window);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    // The favourites window shows the new one at once.
    connect(dialog, &AddFavoriteDialog::favoriteAdded, this, [this] {
        if (FavForm *form = m_form.window())
            form->Toolbar1_ButtonClick(1);
    });
    // Window-modal without a nested event loop: the handler returns at once.
    dialog->open();
}

void FavoriteCommands::arrange()
{
    const QString folder = favorites::favoritesFolder();
    const QString shown = QDir::toNativeSeparators(folder);
    if (!QDir().mkpath(folder)) {
        m_services.prompts().message(m_window,
                                     QStringLiteral("お気に入りのフォルダーを作成できませんでした。\n%1").arg(shown));
        return;
    }
    m_services.shell().openFolder(folder, [this, shown, window = QPointer<QWidget>(m_window)](bool opened) {
        if (!opened && window)
            m_services.prompts().message(window,
                                         QStringLiteral("お気に入りのフォルダーを開けませんでした。\n%1").arg(shown));
    });
}
