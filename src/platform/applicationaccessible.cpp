#include "platform/applicationaccessible.h"

#include <QGuiApplication>
#include <QWindow>

namespace {

QAccessibleInterface *factory(const QString &, QObject *object)
{
    return object && object == QCoreApplication::instance() ? new ApplicationAccessible : nullptr;
}

} // namespace

void ApplicationAccessible::install()
{
    static const bool installed = [] {
        QAccessible::installFactory(factory);
        return true;
    }();
    Q_UNUSED(installed);
}

QObjectList ApplicationAccessible::windows()
{
    // As Qt lists them, less the hidden render windows: the program shows no
    // window of that kind of its own.
    QObjectList list;
    for (QWindow *w : QGuiApplication::topLevelWindows()) {
        if (w->type() == Qt::Popup || w->type() == Qt::Desktop || (w->inherits("QQuickWindow") && !w->isVisible()))
            continue;
        if (QAccessibleInterface *root = w->accessibleRoot(); root && root->object())
            list.append(root->object());
    }
    return list;
}

int ApplicationAccessible::childCount() const
{
    return int(windows().size());
}

QAccessibleInterface *ApplicationAccessible::child(int index) const
{
    const QObjectList list = windows();
    return index >= 0 && index < list.size() ? QAccessible::queryAccessibleInterface(list.at(index)) : nullptr;
}

int ApplicationAccessible::indexOfChild(const QAccessibleInterface *child) const
{
    return child ? int(windows().indexOf(child->object())) : -1;
}
