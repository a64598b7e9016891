#pragma once

#include "MemoryRegistry.h"
#include "MessageBoxWatcher.h"
#include "TempProfile.h"

#include "ui/MainDlg.h"

#include <QDir>
#include <QTemporaryDir>

// One main window for a test or benchmark, with everything it touches of its
// own: a working directory made current while the rig lives (the call log lands
// there), a temporary profile, an in-memory registry, and a watcher that records
// message boxes from the start. The window is not shown: callers set what they
// need first, as the order matters to what the window does on show.
class MainWindowRig
{
    struct CurrentDir
    {
        explicit CurrentDir(const QString& path) : previous(QDir::currentPath()) { QDir::setCurrent(path); }
        ~CurrentDir() { QDir::setCurrent(previous); }
        QString previous;
    };

public:
    // `port`: the serial port the window checks, when given.
    explicit MainWindowRig(const QString& port = QString());

    // Presses Check as the user does and waits for the check to end: errors end up in a message box.
    void pressCheck();
    // Starts a check as `trigger` would and waits for it to end.
    void runCheck(CheckTrigger trigger);
    // Waits for the running check, if any, to end.
    void waitForCheck();
    // The call log's lines without their line ends; none when there is no log.
    QList<QByteArray> logLines() const;
    QString logPath() const { return workDir.filePath(QStringLiteral("ringlet.log")); }

    QTemporaryDir workDir;

private:
    // Current before the window is built, restored once the window is gone.
    CurrentDir m_current{workDir.path()};

public:
    TempProfile profile;
    MemoryRegistry registry;
    CRingletDlg dlg{profile.store(), registry};
    MessageBoxWatcher boxes;
};
