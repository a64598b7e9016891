// The check cycle against the modem simulator: its own cost on top of the
// one-second waits, and what 100 checks in a row leave behind in memory and
// file descriptors.
#include "BenchReport.h"
#include "MainWindowRig.h"
#include "ModemSimulator.h"
#include "ProcessUsage.h"

#include "ui/MainDlg.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {
int openDescriptors()
{
    return static_cast<int>(
        QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).size());
}

// Milliseconds one check takes beyond its waits, from the press to its end.
double timeCheck(MainWindowRig& rig, int waits)
{
    QElapsedTimer clock;
    clock.start();
    rig.runCheck(CheckTrigger::Button);
    return clock.nsecsElapsed() / 1e6 - waits * 1000.0;
}

bool reportAtMost(const char* what, double value, double limit, const char* unit)
{
    const bool ok = value <= limit;
    std::printf("  %s: %.1f %s (target <= %.0f %s) -> %s\n", what, value, unit, limit, unit, ok ? "PASS" : "FAIL");
    return ok;
}
} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const bool quick = argc > 1 && std::strcmp(argv[1], "--quick") == 0;

    ModemSimulator modem;
    if (!modem.start()) {
        std::puts("  the modem simulator did not start");
        return 1;
    }
    MainWindowRig rig(modem.devicePath());
    CRingletDlg& dlg = rig.dlg;
    dlg.settings().logFlags = 1;
    dlg.show();

    bool ok = true;
    QObject::connect(&dlg.desk(), &CallDesk::problem, [](const Problem& problem) {
        std::printf("  check failed: %s\n", qPrintable(problem.words));
        std::exit(1);
    });
    {
        std::vector<double> closed, open;
        for (int i = 0; i < 10; ++i)
            closed.push_back(timeCheck(rig, 2));
        for (int i = 0; i < 10; ++i) {
            dlg.comm().SetPortOpen(true);
            open.push_back(timeCheck(rig, 1));
        }
        ok &= reportAtMost("check with the port closed, beyond its two waits (median of 10)", median(closed), 30, "ms");
        ok &= reportAtMost("check with the port open, beyond its one wait (median of 10)", median(open), 30, "ms");

        const int rounds = quick ? 20 : 100;
        const qint64 residentBefore = ProcessUsage::residentKb();
        const int descriptorsBefore = openDescriptors();
        for (int i = 0; i < rounds; ++i)
            rig.runCheck(CheckTrigger::Button);
        const double grownKb = ProcessUsage::residentKb() - residentBefore;
        std::printf("  %d checks in a row:\n", rounds);
        ok &= reportAtMost("resident memory growth", grownKb, 1024, "KiB");
        ok &= reportAtMost("file descriptors left open", openDescriptors() - descriptorsBefore, 0, "");
    }
    return ok ? 0 : 1;
}
