#include "settings/settingcommands.h"

#include "platform/windowplacement.h"
#include "settings/settingdialog.h"

SettingCommands::SettingCommands(SettingsModel &settings, Services &services)
    : m_settings(settings), m_services(services)
{
}
SettingCommands::~SettingCommands() = default;
SettingDialog *SettingCommands::dialog() const
{
    return m_dialog.window();
}
void SettingCommands::closeWindow()
{
    m_dialog.destroy();
}

void SettingCommands::show()
{
    bringForward(m_dialog.get([this] { return new SettingDialog(m_settings, m_services); }));
}
