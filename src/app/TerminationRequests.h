#pragma once

class QWidget;

// Closes `window` as its title-bar button would, running its close sequence,
// when the system asks the program to end: SIGTERM, SIGHUP or SIGINT on POSIX
// systems (log-out, shut-down, Ctrl+C), and the session manager's end-of-session
// request everywhere. Without this the settings of the run would be lost.
void closeOnTerminationRequest(QWidget* window);
