#include "platform/picturetoolbar.h"

#include <QAction>
#include <QToolBar>

QToolBar *makePictureToolbar(QWidget *parent, const QString &name, const QRect &geometry)
{
    auto *toolbar = new QToolBar(parent);
    toolbar->setObjectName(name);
    toolbar->setIconSize(QSize(16, 16));
    toolbar->setMovable(false);
    toolbar->setFloatable(false);
    toolbar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    toolbar->setGeometry(geometry);
    return toolbar;
}

QAction *addPictureButton(QToolBar *toolbar, QObject *owner, const QString &key, const QIcon &icon,
                          const QString &tooltip, int index)
{
    auto *action = new QAction(icon, tooltip, owner);
    action->setObjectName(key);
    action->setToolTip(tooltip);
    action->setData(index);
    toolbar->addAction(action);
    if (QWidget *button = toolbar->widgetForAction(action))
        button->setObjectName(key);
    return action;
}
