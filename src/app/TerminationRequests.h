#pragma once

class QWidget;

// Ends the program through `window`'s close sequence, as its title-bar button
// would, when the system asks the program to end: SIGTERM, SIGHUP or SIGINT on POSIX
// systems (log-out, shut-down, Ctrl+C), and the session manager's end-of-session
// request everywhere. Without this the settings of the run would be lost.
void closeOnTerminationRequest(QWidget* window);

// Marks `notice` as shown when nothing is left to store (the close found the
// settings not stored): a termination request while it is open ends the
// program at once, as nobody answers a box during a log-out.
void endRunOnTerminationWhileShown(QWidget* notice);
