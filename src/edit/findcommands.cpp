#include "app/markloomform.h"
#include "edit/findandreplacedialog.h"
#include "platform/sourcepane.h"

#include <QComboBox>

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

void MarkloomForm::ID_SchNext_Click()
{
    // The last search again, by the find button's rules; without one, the
    // dialog opens to ask for it.
    FindAndReplaceDialog *find = findDialog();
    if (find && !find->FindComb->currentText().isEmpty())
        find->FindButton_Click();
    else
        ID_Sch_Click();
}
