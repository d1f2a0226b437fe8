#include "platform/hiddenaccessible.h"

#include "platform/webbrowser.h"

#include <QWindow>

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
    static const bool installed = (QAccessible::installFactory(hiddenFactory), true);
    Q_UNUSED(installed);
}

QAccessible::State HiddenAccessible::state() const
{
    QAccessible::State s;
    s.invisible = true;
    s.offscreen = true;
    return s;
}
