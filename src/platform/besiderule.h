#pragma once

#include <QRect>

// Where a window opening beside another goes, as the frame rectangle it should
// take: right of the anchor when it fits there, else left of it; when neither
// side has room for its width, narrowed to the wider side (never below
// minWidth), and only as a last resort over the anchor's edge. Always wholly
// inside room (the screen's available area). frame: what the window manager
// adds to the window's own size.
QRect besideRect(const QRect &room, const QRect &anchor, QSize wanted, QSize frame, int minWidth);

// Where a window (its frame rectangle) goes so that it no longer covers hit,
// a part of another window the user must see: where it is when it does not
// cover it; else just below the hit, else just above it, whichever fits in
// room first; else where it is.
QRect clearOf(const QRect &window, const QRect &hit, const QRect &room);

// A window's frame rectangle moved, and made smaller where it must, so that
// all of it lies inside room.
QRect fitInside(const QRect &frame, const QRect &room);
