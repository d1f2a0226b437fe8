#include "edit/findcommands.h"

#include "edit/findandreplacedialog.h"
#include "edit/findstep.h"
#include "platform/services.h"
#include "platform/sourcepane.h"

#include <QComboBox>

FindCommands::FindCommands(SourcePane &pane, Services &services) : m_pane(pane), m_services(services) {}
FindCommands::~FindCommands() = default;
FindAndReplaceDialog *FindCommands::dialog() const
{
    return m_dialog.window();
}
void FindCommands::closeWindow()
{
    m_dialog.destroy();
}

void FindCommands::find()
{
    m_dialog.get([this] { return new FindAndReplaceDialog(m_pane, m_services, m_memory); })->showWith(m_pane.SelText());
}

void FindCommands::findNext()
{
    // The last search again, by the find button's rules. With the find window
    // closed, it goes on from the caret (past a hit selected there); without
    // any search yet, the window opens to ask for one.
    if (FindAndReplaceDialog *open = dialog(); open && !open->FindComb->currentText().isEmpty())
        return open->FindButton_Click();
    if (m_memory.lastSearch.isEmpty())
        return find();
    const QString text = m_pane.Text();
    const int from =
        m_memory.lastSearchPos > 0 ? m_memory.lastSearchPos : m_pane.SelStart() + (m_pane.SelLength() > 0 ? 2 : 1);
    const int hit = findstep::findNext(text, m_memory.lastSearch, from, m_memory.matchCase);
    if (hit > 0) {
        m_pane.SetSelStart(hit - 1);
        m_pane.SetSelLength(static_cast<int>(m_memory.lastSearch.size()));
        m_memory.lastSearchPos = hit + 1;
        return;
    }
    m_services.prompts().message(m_pane.window(),
                                 findstep::noHitMessage(text, m_memory.lastSearch, from, m_memory.matchCase));
    m_memory.lastSearchPos = 1; // from the top next time
}
