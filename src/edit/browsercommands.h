#pragma once

#include <QString>

class Services;
class QWidget;

namespace browsercommands {

// 既定のブラウザで開く: the address as typed (whatever the bar shows, visited or
// not) in the desktop's browser; says so when the desktop cannot open it.
void openInDefaultBrowser(Services &services, QWidget *window, const QString &addressText);

} // namespace browsercommands
