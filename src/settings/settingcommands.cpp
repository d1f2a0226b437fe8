#include "app/markloomform.h"

#include "settings/settingdialog.h"

SettingDialog *MarkloomForm::settingDialog() const { return qobject_cast<SettingDialog *>(m_settingDialog.data()); }

void MarkloomForm::ID_SETBR_Click()
{
    // One window at a time: an open one is only brought forward, with
    // whatever has been typed into it and not applied.
    if (!m_settingDialog) {
        auto *dialog = new SettingDialog(*this);
        dialog->setAttribute(Qt::WA_DeleteOnClose);
        m_settingDialog = dialog;
    }
    m_settingDialog->show();
    m_settingDialog->raise();
    m_settingDialog->activateWindow();
}
