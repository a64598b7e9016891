#pragma once

// The platform's request to close a window, seen in the window's native events.
// Qt drops such a request while a modal window blocks the window it is aimed at
// (the title-bar button of the main window during a check's one-second waits);
// a window that must not forget it looks for it here.
// Plain types only: the Windows implementation needs nothing but the Win32 API.

// Whether `message`, a native event of the kind named by `eventType` (as Qt
// passes them to QWidget::nativeEvent), asks for its window to be closed: the
// window manager's WM_DELETE_WINDOW on X11, WM_CLOSE on Windows.
bool isWindowCloseRequest(const char* eventType, const void* message);
