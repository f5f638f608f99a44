// Centres a top-level window's frame over an area (the screen, or the window it belongs to) from its first showing.
#pragma once

#include <QRect>

#include <functional>

class QWidget;

namespace kelvara {

// Places window so that its frame, title bar and borders included, is centred in the area that area() gives in
// screen coordinates. A window the window system has not framed yet is taken to get the frame of another framed
// window on screen; when it is framed (at its first painting) it is centred once more with its real frame and
// the area as it is then, which also corrects an area that was not known yet at the call.
void centreFrameIn(QWidget* window, std::function<QRect()> area);

// Waits (at most timeoutMs, handling events) until a window that is being shown is on screen, so that the window
// system has framed it and its frame tells how a window shown next will be framed. Returns at once for a hidden
// window or one already on screen.
void waitUntilOnScreen(QWidget* window, int timeoutMs);

// The frame of window on the screen, title bar and borders included (as far as the window system reports them).
QRect frameOnScreen(const QWidget* window);

} // namespace kelvara
