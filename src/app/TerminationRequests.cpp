#include "TerminationRequests.h"

#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QWidget>

namespace {
const char* const EndsOnTermination = "ringletEndsOnTermination";

// Ends the program at the system's request. A running window closes through
// its close sequence, which stores the run (after a check in progress has
// finished), and then every modal loop ends, a dialog open over the window
// included. Before the window runs, during the first-run configuration, there
// is nothing to store and the loops end at once, as they do while a notice
// marked by endRunOnTerminationWhileShown is open.
void endRun(QWidget* window)
{
    const QWidget* modal = QApplication::activeModalWidget();
    if (modal && modal->property(EndsOnTermination).toBool()) {
        QCoreApplication::exit(0);
        return;
    }
    auto* dialog = qobject_cast<QDialog*>(window);
    if (!dialog || !dialog->isVisible()) {
        QCoreApplication::exit(0);
        return;
    }
    if (!dialog->property("ringletEnding").toBool()) {
        dialog->setProperty("ringletEnding", true);
        QObject::connect(dialog, &QDialog::finished, dialog, [] { QCoreApplication::exit(0); });
    }
    dialog->close();
}
} // namespace

#ifdef Q_OS_UNIX
#include <QSocketNotifier>

#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {
int g_signalPipe[2] = {-1, -1};

// Only async-signal-safe work here: one byte into the pipe, read back on the UI thread.
void onTerminationSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(g_signalPipe[1], &byte, 1);
}

bool installSignalPipe()
{
    if (g_signalPipe[0] >= 0)
        return true;
    if (::pipe(g_signalPipe) != 0)
        return false;
    for (int fd : g_signalPipe) {
        ::fcntl(fd, F_SETFD, FD_CLOEXEC);
        ::fcntl(fd, F_SETFL, O_NONBLOCK);
    }
    struct sigaction action = {};
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : {SIGTERM, SIGHUP, SIGINT})
        ::sigaction(signal, &action, nullptr);
    return true;
}

void watchSignals(QWidget* window)
{
    if (!installSignalPipe())
        return;
    auto* notifier = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, window);
    QObject::connect(notifier, &QSocketNotifier::activated, window, [window] {
        char buffer[16];
        while (::read(g_signalPipe[0], buffer, sizeof buffer) > 0) {
        }
        endRun(window);
    });
}
} // namespace
#endif

void closeOnTerminationRequest(QWidget* window)
{
#ifdef Q_OS_UNIX
    watchSignals(window);
#endif
    if (auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        QPointer<QWidget> guarded(window);
        QObject::connect(app, &QGuiApplication::commitDataRequest, window, [guarded] {
            if (guarded)
                endRun(guarded);
        });
    }
}

void endRunOnTerminationWhileShown(QWidget* notice)
{
    notice->setProperty(EndsOnTermination, true);
}
