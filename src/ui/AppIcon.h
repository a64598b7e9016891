#pragma once

#include <QIcon>

// The application's icon (the main window, the About box, the task bar).
QIcon appIcon();
