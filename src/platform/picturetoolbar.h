#pragma once

#include <QIcon>
#include <QRect>
#include <QString>

class QAction;
class QToolBar;
class QWidget;

// The windows' toolbars: 16 x 16 pictures without captions, at a fixed place.
QToolBar *makePictureToolbar(QWidget *parent, const QString &name, const QRect &geometry);

// A picture button. The action and its button are both named key; the action
// carries its 1-based index as data and belongs to owner.
QAction *addPictureButton(QToolBar *toolbar, QObject *owner, const QString &key, const QIcon &icon,
                          const QString &tooltip, int index);
