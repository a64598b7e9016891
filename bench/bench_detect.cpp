// Finding out the modem on a port, against the modem simulator: how long a
// modem of each family takes to be found out, and how long a port with
// nothing answering behind it takes to be told.
#include "BenchReport.h"
#include "ModemSimulator.h"

#include "link/ModemProbe.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <cstdio>
#include <cstring>
#include <vector>

namespace {
// One detection from start to findings, in milliseconds; -1 when it never ended.
double detect(const QString& port, ModemProbe::Findings* findings = nullptr)
{
    ModemProbe probe;
    QEventLoop loop;
    ModemProbe::Findings found;
    bool ended = false;
    QObject::connect(&probe, &ModemProbe::finished, &loop, [&](const ModemProbe::Findings& f) {
        found = f;
        ended = true;
        loop.quit();
    });
    QTimer::singleShot(20000, &loop, &QEventLoop::quit);
    QElapsedTimer clock;
    clock.start();
    probe.start({port, QStringLiteral("115200,n,8,1"), "AT\\L1", "CALLING"});
    loop.exec();
    const double ms = clock.nsecsElapsed() / 1e6;
    if (findings)
        *findings = found;
    return ended ? ms : -1;
}
} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const bool quick = argc > 1 && std::strcmp(argv[1], "--quick") == 0;
    const int rounds = quick ? 3 : 10;
    bool ok = true;
    for (const char* family : {"vcid", "cid", "clip", "query"}) {
        ModemSimulator modem({QStringLiteral("--family"), QLatin1String(family)});
        if (!modem.start()) {
            std::printf("  the simulator did not start\n");
            return 1;
        }
        std::vector<double> times;
        ModemProbe::Findings findings;
        for (int i = 0; i < rounds; ++i)
            times.push_back(detect(modem.devicePath(), &findings));
        const bool found = findings.outcome == ModemProbe::Findings::Outcome::Answered &&
                           (!findings.callerIdCommand.isEmpty() || findings.answersQuery);
        char what[96];
        std::snprintf(what, sizeof what, "a %s modem found out (%s), median of %d", family,
                      found ? "found" : "NOT FOUND", rounds);
        ok = report(what, median(times), 3000, "ms") && found && ok;
    }
    // Stopped, it holds the port open and answers nothing, as a port with no modem behind it.
    ModemSimulator silent;
    if (!silent.start())
        return 1;
    silent.freeze();
    ModemProbe::Findings findings;
    const double silentMs = detect(silent.devicePath(), &findings);
    silent.resume();
    ok = report("a port with nothing answering told", silentMs, 3000, "ms") &&
         findings.outcome == ModemProbe::Findings::Outcome::Silent && ok;
    return ok ? 0 : 1;
}
