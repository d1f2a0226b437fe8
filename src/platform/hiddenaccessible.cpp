#include "platform/hiddenaccessible.h"

#include "platform/webbrowser.h"

#include <QQuickWidget>

namespace {

QAccessibleInterface *hiddenFactory(const QString &className, QObject *object)
{
    // The engine's rendering window has a class of its own; nothing else in
    // this program renders through one.
    if (qobject_cast<WebBrowser *>(object) || className == QLatin1String("QQuickWidgetOffscreenWindow"))
        return new HiddenAccessible;
    return nullptr;
}

} // namespace

void HiddenAccessible::install()
{
    // The engine renders through a QQuickWidget, whose library installs its
    // own factory when the first one is made; the factory installed last is
    // asked first, so that one comes before ours.
    static const bool installed = (delete new QQuickWidget, QAccessible::installFactory(hiddenFactory), true);
    Q_UNUSED(installed);
}

QAccessible::State HiddenAccessible::state() const
{
    QAccessible::State s;
    s.invisible = true;
    s.offscreen = true;
    return s;
}
