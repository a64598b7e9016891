#pragma once

#include <QSize>

class QWidget;

// Keeping a top-level window whole on its screen. Until the window manager has
// framed a window its frame is unknown, so a title bar's height is assumed.

// The largest client area `window` can have with its frame on the screen.
QSize largestClientSize(const QWidget* window);

// Moves `window` up or down as little as needed to bring its frame onto the screen.
void keepFrameOnScreen(QWidget* window);
