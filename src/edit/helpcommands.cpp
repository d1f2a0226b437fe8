#include "app/markloomform.h"
#include "edit/aboutdialog.h"
#include "platform/windowplacement.h"

AboutDialog *MarkloomForm::aboutDialog() const
{
    return qobject_cast<AboutDialog *>(m_aboutDialog.data());
}

void MarkloomForm::ID_About_Click()
{
    bringForward(singleWindow<AboutDialog>(m_aboutDialog, [] { return new AboutDialog; }));
}
