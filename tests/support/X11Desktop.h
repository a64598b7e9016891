#pragma once

#include <QByteArray>
#include <QList>

#include <cstdint>

// The X11 desktop the tests run on (Xvfb with an EWMH window manager, see
// run-under-x11), driven through Qt's own xcb connection: finding other
// programs' windows and asking the window manager to activate one, as a pager
// or a click on the window would.
namespace X11Desktop {
using Window = std::uint32_t;

// Waits until the window manager says it keeps _NET_ACTIVE_WINDOW.
bool waitForWindowManager(int timeoutMs);
// Waits for managed windows whose WM_CLASS instance is `instance`, at least `count` of them.
QList<Window> waitForClients(const QByteArray& instance, int count, int timeoutMs);
// Asks the window manager to make `window` the active one.
void activate(Window window);
Window activeWindow();
// Sends what a window manager sends when the title bar's close button is pressed.
void requestClose(Window window);
// Maps a plain top-level window of the test's own with the raw WM_CLASS bytes
// `wmClass` (instance and class, each ending in a zero byte), as another
// program would; destroyWindow() takes it away again.
Window createWindow(const QByteArray& wmClass);
void destroyWindow(Window window);
// Takes the system tray's selection (_NET_SYSTEM_TRAY_S0) with a window of the
// test's own, as a panel's tray does, so that programs see a tray; nothing is
// docked in it. destroyWindow() gives the selection up again.
Window claimSystemTray();
} // namespace X11Desktop
