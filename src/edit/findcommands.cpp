#include "app/markloomform.h"
#include "edit/findandreplacedialog.h"
#include "platform/sourcepane.h"

FindAndReplaceDialog *MarkloomForm::findDialog() const
{
    return qobject_cast<FindAndReplaceDialog *>(m_findDialog.data());
}

void MarkloomForm::ID_Sch_Click()
{
    singleWindow<FindAndReplaceDialog>(m_findDialog,
                                       [this] { return new FindAndReplaceDialog(*HTMLSorceText, m_services); })
        ->showWith(HTMLSorceText->SelText());
}
