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
