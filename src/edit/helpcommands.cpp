#include "edit/helpcommands.h"

#include "edit/aboutdialog.h"
#include "platform/windowplacement.h"

HelpCommands::HelpCommands() = default;
HelpCommands::~HelpCommands() = default;
AboutDialog *HelpCommands::aboutDialog() const
{
    return m_about.window();
}
void HelpCommands::closeWindow()
{
    m_about.destroy();
}

void HelpCommands::about()
{
    bringForward(m_about.get([] { return new AboutDialog; }));
}
