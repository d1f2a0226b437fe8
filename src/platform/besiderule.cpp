#include "platform/besiderule.h"

#include <QtGlobal>

QRect besideRect(const QRect &room, const QRect &anchor, QSize wanted, QSize frame, int minWidth)
{
    QSize outer = (wanted + frame).boundedTo(room.size());
    const int right = room.right() - anchor.right();
    const int left = anchor.left() - room.left();
    int x;
    if (outer.width() <= right) {
        x = anchor.right() + 1;
    } else if (outer.width() <= left) {
        x = anchor.left() - outer.width();
    } else if (qMax(right, left) - frame.width() >= minWidth) {
        outer.setWidth(qMax(right, left));
        x = right >= left ? anchor.right() + 1 : room.left();
    } else {
        x = room.right() + 1 - outer.width();
    }
    const int y = qBound(room.top(), anchor.top(), room.bottom() + 1 - outer.height());
    return QRect(QPoint(x, y), outer);
}

QRect clearOf(const QRect &window, const QRect &hit, const QRect &room)
{
    if (!window.intersects(hit))
        return window;
    const QRect below = window.translated(0, hit.bottom() + 1 - window.top());
    if (room.contains(below))
        return below;
    const QRect above = window.translated(0, hit.top() - 1 - window.bottom());
    if (room.contains(above))
        return above;
    return window;
}

QRect fitInside(const QRect &frame, const QRect &room)
{
    const QSize size = frame.size().boundedTo(room.size());
    const int x = qBound(room.left(), frame.left(), room.right() + 1 - size.width());
    const int y = qBound(room.top(), frame.top(), room.bottom() + 1 - size.height());
    return QRect(QPoint(x, y), size);
}
