#include "app/markloomform.h"
#include "edit/findandreplacedialog.h"
#include "platform/sourcepane.h"

FindAndReplaceDialog *MarkloomForm::findDialog() const
{
    return qobject_cast<FindAndReplaceDialog *>(m_findDialog.data());
}

void MarkloomForm::ID_Sch_Click()
{
    FindAndReplaceDialog *dialog = findDialog();
    if (!dialog) {
        dialog = new FindAndReplaceDialog(*this);
        m_findDialog = dialog;
    }
    dialog->showWith(HTMLSorceText->SelText());
}
