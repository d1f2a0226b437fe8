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
    // Built when it is made; shown again as it is, without a rebuild.
    bringForward(singleWindow<FavForm>(m_favForm, [this] {
        auto *form = new FavForm(*this);
        form->Form_Load();
        return form;
    }));
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
