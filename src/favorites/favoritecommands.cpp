#include "app/markloomform.h"
#include "favorites/addfavoritedialog.h"
#include "favorites/favform.h"
#include "favorites/favoritesscan.h"
#include "platform/windowplacement.h"

#include <QDir>

FavForm *MarkloomForm::favForm() const
{
    return qobject_cast<FavForm *>(m_favForm.data());
}

void MarkloomForm::ID_fvView_Click()
{
    // Built when it is made; shown again as it is, without a rebuild.
    bringForward(singleWindow<FavForm>(m_favForm, [this] {
        auto *form = new FavForm;
        connect(form, &FavForm::favoriteChosen, this, &MarkloomForm::openFavorite);
        form->Form_Load();
        placeBeside(form, this);
        return form;
    }));
}

void MarkloomForm::ID_fvAdd_Click()
{
    // One add dialog at a time, for the page shown now.
    delete findChild<AddFavoriteDialog *>(QString(), Qt::FindDirectChildrenOnly);
    auto *dialog = new AddFavoriteDialog(favorites::favoritesFolder(), m_document.docElement().Document.URL,
                                         m_document.docName(), this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    // Window-modal without a nested event loop: the handler returns at once.
    dialog->open();
}

void MarkloomForm::ID_fvArrange_Click()
{
    const QString folder = favorites::favoritesFolder();
    if (!QDir().mkpath(folder)) {
        m_services.prompts().message(
            this,
            QStringLiteral("お気に入りのフォルダーを作成できませんでした。\n%1").arg(QDir::toNativeSeparators(folder)));
        return;
    }
    if (!m_services.shell().openFolder(folder)) {
        m_services.prompts().message(
            this,
            QStringLiteral("お気に入りのフォルダーを開けませんでした。\n%1").arg(QDir::toNativeSeparators(folder)));
    }
}
