// Caller ID announced between rings, against the modem simulator: from the
// announcement's arrival to the watcher's `announced`, and what floods of
// announcement blocks do to resident memory.
#include "ModemSimulator.h"
#include "ProcessUsage.h"

#include "check/RingTrigger.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {
const QString LineSettings = QStringLiteral("115200,n,8,1");
const QString VcidOn = QStringLiteral("AT+VCID=1");

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

bool report(const char* what, double value, double limit, const char* unit)
{
    const bool ok = value < limit;
    std::printf("  %s: %.2f %s (target < %.0f %s) -> %s\n", what, value, unit, limit, unit, ok ? "PASS" : "FAIL");
    return ok;
}

// The simulator sends each call's RING and its whole block in one write, so the
// time from the ring signal to `announced` holds the watcher's part (reading,
// recognising, the queued signal) plus the simulator's wake-up and the pty.
// Returns the milliseconds per call; empty when an announcement did not come.
std::vector<double> announcementToSignal(int calls)
{
    ModemSimulator modem({QStringLiteral("--announce"), QStringLiteral("--call-gap-ms"), QStringLiteral("0"),
                          QStringLiteral("--numbers"), QStringLiteral("5550199")});
    if (!modem.start())
        return {};
    RingTrigger trigger;
    QSignalSpy announced(&trigger, &RingTrigger::announced);
    const RingTrigger::Settings settings{modem.devicePath(), LineSettings, QStringLiteral("ttyS0"), QString(), VcidOn};
    std::vector<double> latencies;
    QElapsedTimer clock;
    for (int call = 0; call < calls; ++call) {
        trigger.arm(settings); // a new call for the rule, without waiting out the gap
        QTest::qWait(200);     // the command taken and answered
        announced.clear();
        clock.start();
        modem.ring();
        if (!announced.wait(2000) || announced[0][0].toString() != QLatin1String("5550199"))
            return {};
        latencies.push_back(clock.nsecsElapsed() / 1e6);
    }
    return latencies;
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
    QCoreApplication app(argc, argv);
    const bool quick = argc > 1 && std::strcmp(argv[1], "--quick") == 0;
    bool ok = true;

    const int calls = quick ? 5 : 10;
    const std::vector<double> latencies = announcementToSignal(calls);
    if (latencies.empty()) {
        std::puts("  an announcement did not come out of the watcher");
        ok = false;
    } else {
        std::printf("  announcement sent to the watcher's announced signal, median of %d (max %.2f ms):\n", calls,
                    *std::max_element(latencies.begin(), latencies.end()));
        ok &= report("latency", median(latencies), 50, "ms");
    }

    const int floods = quick ? 3 : 10;
    const double grown = floodGrowthKb(floods);
    std::printf("  %d floods of 1000 announcement blocks:\n", floods);
    if (grown < 0)
        std::puts("  the floods were not read");
    ok &= grown >= 0 && report("resident memory growth", grown, 1024, "KiB");
    return ok ? 0 : 1;
}
