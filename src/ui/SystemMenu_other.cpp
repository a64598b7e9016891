#include "SystemMenu.h"

// Window managers outside Windows own the title-bar menu; the items are offered
// in the main window's context menu instead.
void appendSystemMenuItems(void*, const char*, int, const char*, int) {}

int systemCommandFromMessage(const void*)
{
    return -1;
}
