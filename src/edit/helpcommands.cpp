#include "app/markloomform.h"
#include "edit/aboutdialog.h"

AboutDialog *MarkloomForm::aboutDialog() const
{
    return qobject_cast<AboutDialog *>(m_aboutDialog.data());
}

void MarkloomForm::ID_About_Click()
{
    AboutDialog *dialog = aboutDialog();
    if (!dialog) {
        dialog = new AboutDialog;
        m_aboutDialog = dialog;
    }
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
}
