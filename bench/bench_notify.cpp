// Timings of a call's notification against a notification server on a private
// session bus (bench/run starts one with dbus-run-session), the server on a
// thread of its own as a desktop's would be in a process of its own: how long
// notifyCall() holds the window's thread and how soon the call is shown, the
// first time (the bus reached then) and after; and, with a server that never
// answers, that the window's thread keeps running until the call goes the
// other way. Exits 1 when a target is missed.
#include "calls/CallNotifier.h"

#include <QApplication>
#include <QDBusAbstractAdaptor>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {
class Server : public QDBusAbstractAdaptor
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

public:
    explicit Server(QObject* parent) : QDBusAbstractAdaptor(parent) {}
    std::atomic<bool> silent{false};

public slots:
    QStringList GetCapabilities() { return {QStringLiteral("actions"), QStringLiteral("body")}; }
    uint Notify(const QString&, uint, const QString&, const QString&, const QString&, const QStringList&,
                const QVariantMap&, int, const QDBusMessage& message)
    {
        if (silent)
            message.setDelayedReply(true); // and never replied to
        return ++m_id;
    }

private:
    uint m_id = 0;
};

struct Timing
{
    double callMs;  // notifyCall() on the window's thread
    double shownMs; // until delivered()
    CallNotifier::Delivery how;
};

Timing notifyOnce(CallNotifier& notifier, const QString& number)
{
    Timing timing{};
    QEventLoop loop;
    const auto connection =
        QObject::connect(&notifier, &CallNotifier::delivered, &loop, [&](CallNotifier::Delivery how) {
            timing.how = how;
            loop.quit();
        });
    QElapsedTimer clock;
    clock.start();
    notifier.notifyCall(number, QString());
    timing.callMs = clock.nsecsElapsed() / 1e6;
    loop.exec();
    timing.shownMs = clock.nsecsElapsed() / 1e6;
    QObject::disconnect(connection);
    return timing;
}

bool report(const char* what, double value, double target)
{
    const bool ok = value < target;
    std::printf("  %-52s %9.3f ms (target < %g ms) %s\n", what, value, target, ok ? "PASS" : "FAIL");
    return ok;
}
} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const bool quick = argc > 1 && std::strcmp(argv[1], "--quick") == 0;

    QThread serverThread;
    serverThread.start();
    auto* serverObject = new QObject;
    auto* server = new Server(serverObject);
    serverObject->moveToThread(&serverThread);
    QDBusConnection bus = QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("server"));
    if (!bus.registerObject(QStringLiteral("/org/freedesktop/Notifications"), serverObject) ||
        !bus.registerService(QStringLiteral("org.freedesktop.Notifications"))) {
        std::fprintf(stderr, "no session bus to register the server on\n");
        return 1;
    }

    CallNotifier notifier{QIcon()};
    bool ok = true;
    const Timing first = notifyOnce(notifier, QStringLiteral("0555"));
    ok &= first.how == CallNotifier::Delivery::Service;
    ok &= report("first call: notifyCall() (the bus reached)", first.callMs, 20);
    ok &= report("first call: shown", first.shownMs, 100);

    std::vector<double> calls, shown;
    const int rounds = quick ? 50 : 500;
    for (int i = 0; i < rounds; ++i) {
        const Timing timing = notifyOnce(notifier, QString::number(5550000 + i));
        ok &= timing.how == CallNotifier::Delivery::Service;
        calls.push_back(timing.callMs);
        shown.push_back(timing.shownMs);
    }
    std::sort(calls.begin(), calls.end());
    std::sort(shown.begin(), shown.end());
    std::printf("  later calls, %d rounds:\n", rounds);
    ok &= report("notifyCall(), median", calls[calls.size() / 2], 0.5);
    ok &= report("notifyCall(), worst", calls.back(), 5);
    ok &= report("shown, median", shown[shown.size() / 2], 5);

    // A hung server: the call is given up after the reply timeout, and the
    // window's thread runs on meanwhile (a 10 ms timer's longest gap).
    server->silent = true;
    QElapsedTimer gapClock;
    gapClock.start();
    double longestGapMs = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        longestGapMs = std::max(longestGapMs, gapClock.nsecsElapsed() / 1e6);
        gapClock.restart();
    });
    ticker.start(10);
    const Timing hung = notifyOnce(notifier, QStringLiteral("0666"));
    ticker.stop();
    ok &= hung.how != CallNotifier::Delivery::Service;
    std::printf("  a server that never answers: given up after %.0f ms\n", hung.shownMs);
    ok &= report("notifyCall()", hung.callMs, 5);
    ok &= report("longest stall of the window's thread meanwhile", longestGapMs, 50);

    serverThread.quit();
    serverThread.wait();
    return ok ? 0 : 1;
}

#include "bench_notify.moc"
