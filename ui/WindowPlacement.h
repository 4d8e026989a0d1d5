#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

// Where a window of the given frame size goes beside anchor (a frame rectangle) within
// the screen area: right of it, else left, else below, else above; else the screen's
// corner farthest from the anchor's centre.
QPoint PlaceBeside(const QRect& anchor, QSize size, const QRect& screen);

// The frame size of a window not yet shown, whose title bar and borders the window
// manager has not told yet: its size with room for them.
QSize WithFrameAllowance(QSize size);

// The largest size of size's proportions, and no larger, whose frame fits on a side of
// anchor within the screen; size itself when that would be narrower than minWidth.
QSize FitBeside(const QRect& anchor, QSize size, const QRect& screen, int minWidth);
