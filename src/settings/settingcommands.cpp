#include "app/markloomform.h"
#include "platform/windowplacement.h"
#include "settings/settingdialog.h"

SettingDialog *MarkloomForm::settingDialog() const { return qobject_cast<SettingDialog *>(m_settingDialog.data()); }

void MarkloomForm::ID_SETBR_Click()
{
    // An open dialog is only brought forward, with whatever has been typed
    // into it and not applied.
    bringForward(singleWindow<SettingDialog>(m_settingDialog,
                                             [this] { return new SettingDialog(m_settings, m_services); }));
}
