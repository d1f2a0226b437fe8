#pragma once

#include <QRect>

// Where a window opening beside another goes, as the frame rectangle it should
// take: right of the anchor when it fits there, else left of it; when neither
// side has room for its width, narrowed to the wider side (never below
// minWidth), and only as a last resort over the anchor's edge. Always wholly
// inside room (the screen's available area). frame: what the window manager
// adds to the window's own size.
QRect besideRect(const QRect &room, const QRect &anchor, QSize wanted, QSize frame, int minWidth);
