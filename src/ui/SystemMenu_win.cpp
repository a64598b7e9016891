#include "SystemMenu.h"

#include <windows.h>

void appendSystemMenuItems(void* nativeWindow, const char* aboutText, int aboutCommand, const char* configText,
                           int configCommand)
{
    HMENU menu = GetSystemMenu(static_cast<HWND>(nativeWindow), FALSE);
    if (!menu)
        return;
    if (aboutText && *aboutText) {
        AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
        AppendMenuA(menu, MF_STRING, static_cast<UINT_PTR>(aboutCommand), aboutText);
    }
    if (configText && *configText)
        AppendMenuA(menu, MF_STRING, static_cast<UINT_PTR>(configCommand), configText);
}

int systemCommandFromMessage(const void* message)
{
    const MSG* msg = static_cast<const MSG*>(message);
    if (!msg || msg->message != WM_SYSCOMMAND)
        return -1;
    // The system uses the low four bits of the command internally.
    return static_cast<int>(msg->wParam & 0xFFF0);
}
