#pragma once

// The window's system menu, on platforms where a program can extend it (Windows).
// Plain types only: the Windows implementation needs nothing but the Win32 API.
// Elsewhere both calls do nothing and the items live in the context menu alone.

// Appends a separator and the two items to the system menu of `nativeWindow`
// (an HWND on Windows). An item with an empty text is left out.
void appendSystemMenuItems(void* nativeWindow, const char* aboutText, int aboutCommand, const char* configText,
                           int configCommand);

// The command of a system-menu message (WM_SYSCOMMAND) with its low four bits
// cleared, or -1 when `message` is anything else.
int systemCommandFromMessage(const void* message);
