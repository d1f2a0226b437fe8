#include "app/markloomform.h"
#include "edit/findandreplacedialog.h"
#include "edit/findstep.h"
#include "platform/sourcepane.h"

#include <QComboBox>

FindAndReplaceDialog *MarkloomForm::findDialog() const
{
    return qobject_cast<FindAndReplaceDialog *>(m_findDialog.data());
}

void MarkloomForm::ID_Sch_Click()
{
    FindAndReplaceDialog *find = singleWindow<FindAndReplaceDialog>(m_findDialog, [this] {
        auto *dialog = new FindAndReplaceDialog(*HTMLSorceText, m_services);
        connect(dialog, &FindAndReplaceDialog::searched, this, [this](const QString &needle) {
            m_lastSearch = needle;
            m_lastSearchPos = 0;
        });
        return dialog;
    });
    find->showWith(HTMLSorceText->SelText());
}

void MarkloomForm::ID_SchNext_Click()
{
    // The last search again, by the find button's rules. With the find window
    // closed, it goes on from the caret (past a hit selected there); without
    // any search yet, the window opens to ask for one.
    if (FindAndReplaceDialog *find = findDialog(); find && !find->FindComb->currentText().isEmpty())
        return find->FindButton_Click();
    if (m_lastSearch.isEmpty())
        return ID_Sch_Click();
    const QString text = HTMLSorceText->Text();
    const int from = m_lastSearchPos > 0 ? m_lastSearchPos
                                          : HTMLSorceText->SelStart() + (HTMLSorceText->SelLength() > 0 ? 2 : 1);
    const int hit = findstep::findNext(text, m_lastSearch, from);
    if (hit > 0) {
        HTMLSorceText->SetSelStart(hit - 1);
        HTMLSorceText->SetSelLength(static_cast<int>(m_lastSearch.size()));
        m_lastSearchPos = hit + 1;
        return;
    }
    m_services.prompts().message(this, findstep::noHitMessage(text, m_lastSearch, from));
    m_lastSearchPos = 1; // from the top next time
}
