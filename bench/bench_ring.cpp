// Ring watching against the modem simulator: from a call's second ring to the
// start of its check, and what a flood of rings does to resident memory.
#include "BenchReport.h"
#include "MainWindowRig.h"
#include "ModemSimulator.h"
#include "ProcessUsage.h"

#include "check/RingCallRule.h"
#include "check/RingTrigger.h"
#include "ui/MainDlg.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {
// One modem for checks and rings, as at most desks. Returns the milliseconds
// from each call's second ring to its check's start; empty when a check did not come.
std::vector<double> secondRingToCheck(int calls)
{
    ModemSimulator modem;
    if (!modem.start())
        return {};
    MainWindowRig rig(modem.devicePath());
    CRingletDlg& dlg = rig.dlg;
    dlg.settings().anotherPort = modem.devicePath();
    dlg.settings().autoMethod = 9;
    dlg.show();

    std::vector<double> latencies;
    QElapsedTimer clock;
    QObject::connect(&dlg.checkCycle(), &CheckCycle::starting, [&] { latencies.push_back(clock.nsecsElapsed() / 1e6); });
    QSignalSpy finished(&dlg.checkCycle(), &CheckCycle::finished);
    for (int call = 0; call < calls; ++call) {
        dlg.ApplyAutomation(); // a new call for the rule, without waiting out the gap
        modem.ring();
        QTest::qWait(RingCallRule::Timings().sameRingMs + 100);
        clock.start();
        modem.ring();
        if (!finished.wait(5000) || latencies.size() != size_t(call + 1))
            return {};
    }
    return latencies;
}

// A serial port with a ring-indicator pin, as the pin reader sees it: never ringing.
class QuietPin : public RingPin
{
public:
    State read(std::intptr_t) override { return State::Off; }
};

// CPU in ms over `seconds` while armed on a port whose RI pin is read (a
// pseudo-terminal has no pin, so the reader stands in for a real port's).
double pinWatchCpuMs(int seconds)
{
    ModemSimulator modem;
    if (!modem.start())
        return -1;
    RingTrigger trigger(std::make_unique<QuietPin>());
    trigger.arm({modem.devicePath(), QStringLiteral("115200,n,8,1"), QStringLiteral("ttyS0")});
    QTest::qWait(500);
    const qint64 before = ProcessUsage::cpuTimeMs();
    // An event loop of its own: QTest::qWait wakes every few milliseconds.
    QEventLoop idle;
    QTimer::singleShot(seconds * 1000, &idle, &QEventLoop::quit);
    idle.exec();
    return trigger.isWatching() ? double(ProcessUsage::cpuTimeMs() - before) : -1;
}

// Resident memory growth in KiB over `bursts` bursts of 1000 RING lines each.
double floodGrowthKb(int bursts)
{
    ModemSimulator modem({QStringLiteral("--rings-per-signal"), QStringLiteral("1000")});
    if (!modem.start())
        return -1;
    RingTrigger trigger;
    trigger.arm({modem.devicePath(), QStringLiteral("115200,n,8,1"), QStringLiteral("ttyS0")});
    modem.ring(); // the first burst warms up the buffers
    QTest::qWait(500);
    const qint64 before = ProcessUsage::residentKb();
    for (int burst = 0; burst < bursts; ++burst) {
        modem.ring();
        QTest::qWait(200);
    }
    return trigger.isWatching() ? double(ProcessUsage::residentKb() - before) : -1;
}
} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const bool quick = argc > 1 && std::strcmp(argv[1], "--quick") == 0;
    bool ok = true;

    const int calls = quick ? 5 : 10;
    const std::vector<double> latencies = secondRingToCheck(calls);
    if (latencies.empty()) {
        std::puts("  a ring did not start a check");
        ok = false;
    } else {
        std::printf("  second ring to the check's start, median of %d:\n", calls);
        ok &= report("latency", median(latencies), 100, "ms");
    }

    const int seconds = quick ? 10 : 60;
    const double pinCpu = pinWatchCpuMs(seconds);
    std::printf("  armed on a port with an RI pin (read every %d ms), %d s:\n", RingTrigger::PinPollMs, seconds);
    ok &= pinCpu >= 0 && report("CPU", pinCpu, 50.0 * seconds / 60, "ms");

    const int bursts = quick ? 3 : 10;
    const double grown = floodGrowthKb(bursts);
    std::printf("  %d floods of 1000 RING lines:\n", bursts);
    ok &= grown >= 0 && report("resident memory growth", grown, 1024, "KiB");
    return ok ? 0 : 1;
}
