#include "app/markloomform.h"
#include "favorites/addfavoritedialog.h"
#include "favorites/favform.h"
#include "favorites/favoritesscan.h"
#include "platform/prompts.h"
#include "platform/shell.h"

#include <QDir>

FavForm *MarkloomForm::favForm() const
{
    return qobject_cast<FavForm *>(m_favForm.data());
}

void MarkloomForm::ID_fvView_Click()
{
    if (!m_favForm) {
        // Top-level without an owner; closing it destroys it with its tree.
        auto *form = new FavForm(*this);
        form->setAttribute(Qt::WA_DeleteOnClose);
        m_favForm = form;
        form->Form_Load();
    }
    // Shown again as it is: no rebuild.
    FavForm *form = favForm();
    form->setWindowState(form->windowState() & ~Qt::WindowMinimized);
    form->show();
    form->raise();
    form->activateWindow();
}

void MarkloomForm::ID_fvAdd_Click()
{
    // One add dialog at a time, for the page shown now.
    delete findChild<AddFavoriteDialog *>(QString(), Qt::FindDirectChildrenOnly);
    auto *dialog = new AddFavoriteDialog(favorites::favoritesFolder(), m_DocElement.Document.URL, m_DocName, this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    // Window-modal without a nested event loop: the handler returns at once.
    dialog->open();
}

void MarkloomForm::ID_fvArrange_Click()
{
    const QString folder = favorites::favoritesFolder();
    if (!QDir().mkpath(folder)) {
        prompts().message(
            this,
            QStringLiteral("お気に入りのフォルダーを作成できませんでした。\n%1").arg(QDir::toNativeSeparators(folder)));
        return;
    }
    m_ShellUI = folder;
    if (!shell().openFolder(folder)) {
        prompts().message(
            this,
            QStringLiteral("お気に入りのフォルダーを開けませんでした。\n%1").arg(QDir::toNativeSeparators(folder)));
    }
}
