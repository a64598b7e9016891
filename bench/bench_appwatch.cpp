// Checks on the activation of another application, on a real X server with a
// window manager (run by bench/run through tests/support/run-under-x11): the
// time from asking the window manager to activate the named program's window to
// the check's start (its status window shown), and the CPU the armed trigger
// uses while nothing happens.
#include "BenchReport.h"
#include "MainWindowRig.h"
#include "ModemSimulator.h"
#include "ProcessUsage.h"
#include "X11Desktop.h"

#include "ui/MainDlg.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLabel>
#include <QProcess>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {
// Notes when a check's status window is shown.
class StatusShown : public QObject
{
public:
    QElapsedTimer clock;
    qint64 shownNs = -1;

protected:
    bool eventFilter(QObject* object, QEvent* event) override
    {
        if (event->type() == QEvent::Show && shownNs < 0 && object->objectName() == QLatin1String("IDD_STATUS"))
            shownNs = clock.nsecsElapsed();
        return false;
    }
};

bool activate(X11Desktop::Window window)
{
    X11Desktop::activate(window);
    return QTest::qWaitFor([window] { return X11Desktop::activeWindow() == window; }, 5000);
}
} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const bool quick = argc > 1 && std::strcmp(argv[1], "--quick") == 0;
    ModemSimulator modem;
    QProcess xlogo, xcalc;
    xlogo.start(QStringLiteral("xlogo"), {});
    xcalc.start(QStringLiteral("xcalc"), {});
    const X11Desktop::Window logo = X11Desktop::waitForClients("xlogo", 1, 10000).value(0);
    const X11Desktop::Window calc = X11Desktop::waitForClients("xcalc", 1, 10000).value(0);
    if (!X11Desktop::waitForWindowManager(10000) || !modem.start() || !logo || !calc) {
        std::puts("  needs an X server with a window manager, xlogo, xcalc and the modem simulator");
        return 1;
    }
    MainWindowRig rig(modem.devicePath());
    CRingletDlg& dlg = rig.dlg;
    dlg.settings().anotherApp = QStringLiteral("xlogo");
    dlg.settings().autoMethod = 10;
    dlg.show();

    StatusShown status;
    app.installEventFilter(&status);
    std::vector<double> latencies;
    for (int i = 0; i < 10; ++i) {
        if (!activate(calc))
            return 1;
        QTest::qWait(200);
        dlg.numberLabel()->clear();
        status.shownNs = -1;
        status.clock.start();
        X11Desktop::activate(logo);
        if (!QTest::qWaitFor([&dlg] { return !dlg.numberLabel()->text().isEmpty(); }, 10000) || status.shownNs < 0) {
            std::puts("  activating xlogo started no check");
            return 1;
        }
        latencies.push_back(status.shownNs / 1e6);
    }
    std::sort(latencies.begin(), latencies.end());
    bool ok = report("activation to the check's start (median of 10)", (latencies[4] + latencies[5]) / 2, 100, "ms");

    const int seconds = quick ? 10 : 60;
    const qint64 cpuBefore = ProcessUsage::cpuTimeMs();
    // An event loop that sleeps: QTest::qWait would wake every few milliseconds.
    QEventLoop idle;
    QTimer::singleShot(seconds * 1000, &idle, &QEventLoop::quit);
    idle.exec();
    const double used = ProcessUsage::cpuTimeMs() - cpuBefore;
    std::printf("  armed and idle for %d s:\n", seconds);
    ok &= report("CPU used", used, 50.0 * seconds / 60, "ms");

    xlogo.kill();
    xcalc.kill();
    xlogo.waitForFinished();
    xcalc.waitForFinished();
    return ok ? 0 : 1;
}
