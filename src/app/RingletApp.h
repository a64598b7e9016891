#pragma once

#include <QApplication>

// The application object: brings the program up, runs the main window and
// brings it down again.
class CRingletApp : public QApplication
{
    Q_OBJECT

public:
    CRingletApp(int& argc, char** argv);

    // Loads the settings, runs the main window until it closes; returns the exit code.
    int InitInstance();
};
