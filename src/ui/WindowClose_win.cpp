#include "WindowClose.h"

#include <windows.h>

// Every native event on Windows is a MSG. The title-bar button, Alt+F4 and the
// taskbar's Close all end in WM_CLOSE.
bool isWindowCloseRequest(const char*, const void* message)
{
    const MSG* msg = static_cast<const MSG*>(message);
    return msg && msg->message == WM_CLOSE;
}
