// Calls across desks over loopback: a call on desk A to its number on desk
// B's label, against A's own label; one call reaching 64 clients of A's server.
#include "BenchReport.h"
#include "MainWindowRig.h"
#include "NcidPeer.h"

#include "net/NcidClient.h"
#include "net/NcidServer.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QSignalSpy>
#include <QTimer>

#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

namespace {

// Milliseconds from A's label to B's for each of `calls` calls; empty when one did not come.
std::vector<double> deskToDesk(int calls)
{
    const quint16 port = NcidPeer::freePort();
    MainWindowRig a(QStringLiteral("/dev/ringlet-no-modem"));
    a.dlg.settings().ncidListen = QStringLiteral("127.0.0.1:%1").arg(port);
    a.dlg.show();
    MainWindowRig b(QStringLiteral("/dev/ringlet-no-modem"));
    b.dlg.settings().ncidServer = QStringLiteral("127.0.0.1:%1").arg(port);
    b.dlg.show();
    QSignalSpy started(&b.dlg.desk().ncidClient(), &NcidClient::started);
    if (!started.wait(5000))
        return {};
    QElapsedTimer clock;
    double onA = -1;
    double onB = -1;
    QObject::connect(&a.dlg.desk(), &CallDesk::call, [&] { onA = clock.nsecsElapsed() / 1e6; });
    std::vector<double> gaps;
    for (int i = 0; i < calls; ++i) {
        onA = onB = -1;
        QEventLoop loop;
        QObject::connect(&b.dlg.desk(), &CallDesk::call, &loop, [&] {
            onB = clock.nsecsElapsed() / 1e6;
            loop.quit();
        });
        QTimer::singleShot(5000, &loop, &QEventLoop::quit);
        clock.start();
        a.dlg.checkCycle().takeAnnouncement(QByteArray("555") + QByteArray::number(1000 + i), QString());
        loop.exec();
        if (onA < 0 || onB < 0 || b.dlg.numberLabel()->text() != a.dlg.numberLabel()->text())
            return {};
        gaps.push_back(onB - onA);
    }
    return gaps;
}

// Milliseconds from a call on A until each of 64 clients has its line, for each of `calls` calls.
std::vector<double> toAllClients(int calls)
{
    const quint16 port = NcidPeer::freePort();
    MainWindowRig a(QStringLiteral("/dev/ringlet-no-modem"));
    a.dlg.settings().ncidListen = QStringLiteral("127.0.0.1:%1").arg(port);
    a.dlg.show();
    std::vector<std::unique_ptr<NcidPeer::Client>> clients;
    for (int i = 0; i < NcidServer::MostClients; ++i) {
        clients.push_back(std::make_unique<NcidPeer::Client>());
        if (!clients.back()->connectTo(port))
            return {};
    }
    for (auto& client : clients) {
        if (!client->waitForLine("300 "))
            return {};
    }
    std::vector<double> times;
    for (int i = 0; i < calls; ++i) {
        int reached = 0;
        QEventLoop loop;
        for (auto& client : clients)
            QObject::connect(client.get(), &NcidPeer::Client::lineReceived, &loop, [&](const QByteArray& line) {
                if (line.startsWith("CID: ") && ++reached == NcidServer::MostClients)
                    loop.quit();
            });
        QTimer::singleShot(5000, &loop, &QEventLoop::quit);
        QElapsedTimer clock;
        clock.start();
        a.dlg.checkCycle().takeAnnouncement(QByteArray("555") + QByteArray::number(2000 + i), QString());
        if (reached < NcidServer::MostClients)
            loop.exec();
        if (reached < NcidServer::MostClients)
            return {};
        times.push_back(clock.nsecsElapsed() / 1e6);
    }
    return times;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const bool quick = argc > 1 && std::strcmp(argv[1], "--quick") == 0;
    const int calls = quick ? 5 : 10;
    bool ok = true;

    std::printf("  a call on desk A to its number on desk B's label (loopback), after A's label, median of %d\n",
                calls);
    const std::vector<double> gaps = deskToDesk(calls);
    ok &= !gaps.empty() && report("A's label to B's label", median(gaps), 50, "ms");

    std::printf("  one call to all of 64 clients of A's server (in this process), median of %d\n", calls);
    const std::vector<double> times = toAllClients(calls);
    ok &= !times.empty() && report("to all 64 clients", median(times), 10, "ms");
    if (!times.empty())
        std::printf("  slowest of %d: %.2f ms\n", calls, *std::max_element(times.begin(), times.end()));
    return ok ? 0 : 1;
}
