// Caller ID announced between rings, against the modem simulator: from the
// announcement's arrival to the number on the main window's label, a call's
// first ring to its number announced and queried side by side, and what floods
// of announcement blocks do to resident memory.
#include "BenchReport.h"
#include "MainWindowRig.h"
#include "ModemSimulator.h"
#include "ProcessUsage.h"

#include "check/RingTrigger.h"
#include "ui/MainDlg.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <QSignalSpy>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {
const QString LineSettings = QStringLiteral("115200,n,8,1");
const QString VcidOn = QStringLiteral("AT+VCID=1");

// A window watching one modem for rings and checks, told to announce when
// `announcing`, as most desks have it.
struct Desk : MainWindowRig
{
    Desk(const QString& device, bool announcing) : MainWindowRig(device)
    {
        dlg.settings().anotherPort = device;
        dlg.settings().ringCommand = announcing ? VcidOn : QString();
        dlg.settings().autoMethod = 9;
        dlg.show();
        QObject::connect(&dlg.checkCycle(), &CheckCycle::outcome, [this] { shownAtMs = clock.nsecsElapsed() / 1e6; });
    }
    // Rings (one SIGUSR1) and returns the milliseconds until the number was
    // on the label; -1 when it did not come within `timeoutMs`.
    double ringAndTime(ModemSimulator& modem, int timeoutMs)
    {
        shownAtMs = -1;
        // An event loop of its own: QTest's waits sleep between turns, which would be measured too.
        QEventLoop loop;
        QObject::connect(&dlg.checkCycle(), &CheckCycle::outcome, &loop, &QEventLoop::quit);
        QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
        clock.start();
        modem.ring();
        loop.exec();
        return shownAtMs;
    }
    QElapsedTimer clock;
    double shownAtMs = -1;
};

// The simulator sends each call's RING and its whole block in one write, so the
// time from the ring signal to the number on the label holds the whole path
// (the watcher reading and recognising, the check's outcome shown) plus the
// simulator's wake-up and the pty. Returns the milliseconds per call; empty
// when an announcement did not come.
std::vector<double> announcementToLabel(int calls)
{
    ModemSimulator modem({QStringLiteral("--announce"), QStringLiteral("--call-gap-ms"), QStringLiteral("0"),
                          QStringLiteral("--numbers"), QStringLiteral("5550199")});
    if (!modem.start())
        return {};
    Desk desk(modem.devicePath(), true);
    std::vector<double> latencies;
    for (int call = 0; call < calls; ++call) {
        desk.dlg.ApplyAutomation(); // a new call for the rule, without waiting out the gap
        QTest::qWait(200);          // the command taken and answered
        const double ms = desk.ringAndTime(modem, 2000);
        if (ms < 0 || desk.dlg.numberLabel()->text() != QLatin1String("5550199"))
            return {};
        latencies.push_back(ms);
    }
    return latencies;
}

// One call on a real line's cadence (a RING every 6 s, the block 0.5 s after
// the first ring ends): from its first ring to the number shown, announced or
// found by the query at the second ring. -1 when no number came.
double firstRingToNumber(bool announcing)
{
    QStringList switches{QStringLiteral("--cadence"), QStringLiteral("3"), QStringLiteral("--numbers"),
                         QStringLiteral("5550199")};
    if (announcing)
        switches << QStringLiteral("--announce");
    ModemSimulator modem(switches);
    if (!modem.start())
        return -1;
    Desk desk(modem.devicePath(), announcing);
    QTest::qWait(300);
    return desk.ringAndTime(modem, 15000);
}

// Resident memory growth in KiB over `floods` floods of 1000 announcement blocks,
// each after a RING, as 1000 calls in a row; -1 when the floods were not read.
double floodGrowthKb(int floods)
{
    ModemSimulator modem({QStringLiteral("--announce"), QStringLiteral("--call-gap-ms"), QStringLiteral("0"),
                          QStringLiteral("--rings-per-signal"), QStringLiteral("1000")});
    if (!modem.start())
        return -1;
    RingTrigger trigger;
    QSignalSpy announced(&trigger, &RingTrigger::announced);
    trigger.arm({modem.devicePath(), LineSettings, QStringLiteral("ttyS0"), QString(), VcidOn});
    QTest::qWait(200);
    modem.ring(); // the first flood warms up the buffers
    QTest::qWait(500);
    const qint64 before = ProcessUsage::residentKb();
    for (int flood = 0; flood < floods; ++flood) {
        modem.ring();
        QTest::qWait(500);
    }
    return trigger.isWatching() && !announced.isEmpty() ? double(ProcessUsage::residentKb() - before) : -1;
}
} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const bool quick = argc > 1 && std::strcmp(argv[1], "--quick") == 0;
    bool ok = true;

    const int calls = quick ? 5 : 10;
    const std::vector<double> latencies = announcementToLabel(calls);
    if (latencies.empty()) {
        std::puts("  an announced number did not reach the label");
        ok = false;
    } else {
        std::printf("  announcement sent to the number on the label, median of %d (max %.2f ms):\n", calls,
                    *std::max_element(latencies.begin(), latencies.end()));
        ok &= report("latency", median(latencies), 50, "ms");
    }

    const double announced = firstRingToNumber(true);
    const double queried = firstRingToNumber(false);
    std::printf("  a call's first ring to its number on the label, on a real line's cadence: announced %.0f ms, "
                "queried at the second ring %.0f ms\n",
                announced, queried);
    ok &= announced > 0 && queried > 0 && announced < queried;

    const int floods = quick ? 3 : 10;
    const double grown = floodGrowthKb(floods);
    std::printf("  %d floods of 1000 announcement blocks:\n", floods);
    if (grown < 0)
        std::puts("  the floods were not read");
    ok &= grown >= 0 && report("resident memory growth", grown, 1024, "KiB");
    return ok ? 0 : 1;
}
