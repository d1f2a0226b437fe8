#include "app/openwindow.h"

#include "app/markloomform.h"

std::unique_ptr<QMainWindow> openMainWindow(const QString &address)
{
    auto form = std::make_unique<MarkloomForm>(address);
    form->Form_Load();
    return form;
}
