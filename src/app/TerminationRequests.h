#pragma once

class QWidget;

// Ends the program through `window`'s close sequence, as its title-bar button
// would, when the system asks the program to end: SIGTERM, SIGHUP or SIGINT on POSIX
// systems (log-out, shut-down, Ctrl+C), and the session manager's end-of-session
// request everywhere. Without this the settings of the run would be lost.
void closeOnTerminationRequest(QWidget* window);
