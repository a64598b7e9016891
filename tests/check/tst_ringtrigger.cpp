#include "ModemSimulator.h"
#include "ProcessUsage.h"

#include "check/RingCallRule.h"
#include "check/RingLines.h"
#include "check/RingTrigger.h"

#include <QSignalSpy>
#include <QTest>

// Ring detection: result lines, the one-outcome-per-call rule on a fake clock,
// and the watcher over a real pseudo-terminal.
class TestRingTrigger : public QObject
{
    Q_OBJECT

private:
    // The RI pin of a port that has one, set by the test: a pseudo-terminal has none.
    class FakePin : public RingPin
    {
    public:
        explicit FakePin(State* state) : m_state(state) {}
        State read(std::intptr_t) override { return *m_state; }

    private:
        State* m_state;
    };

    // A port that comes back is found in a tenth of the usual time; the call
    // rule keeps its real timings, which the simulator's calls follow.
    static RingTrigger::Timings quickRetries()
    {
        RingTrigger::Timings timings;
        timings.retryMs = RingTrigger::RetryMs / 10;
        return timings;
    }

private slots:
    void countsRingResultLines_data()
    {
        QTest::addColumn<QByteArrayList>("chunks");
        QTest::addColumn<int>("rings");

        QTest::newRow("CR LF") << QByteArrayList{"\r\nRING\r\n"} << 1;
        QTest::newRow("split across reads") << QByteArrayList{"\r\nRI", "N", "G\r", "\n"} << 1;
        QTest::newRow("CR, LF and CR LF ends") << QByteArrayList{"RING\rRING\nRING\r\n"} << 3;
        QTest::newRow("distinctive ring") << QByteArrayList{"RING A\r\n", "RINGB\r\n", "RING 1\r\n"} << 3;
        QTest::newRow("numeric result") << QByteArrayList{"2\r"} << 1;
        QTest::newRow("mobile and French modems") << QByteArrayList{"+CRING: VOICE\r\nCID RING\r\n"} << 2;
        QTest::newRow("ISDN adapters, some with the caller")
            << QByteArrayList{"RING 0123456789\r\nRING;0891;0876\r\nRING: 3 DN9 8888\r\nRING/01234023\r\n"} << 4;
        QTest::newRow("no end yet") << QByteArrayList{"RING"} << 0;
        QTest::newRow("noise") << QByteArrayList{"OK\r\nRINGING\r\n12\r\nRING 0123x\r\nCALLING 2\r\nRING a\r\n",
                                                 "DRON=5\r\nRING RING DATE=0224\r\n"}
                               << 0;
        QTest::newRow("a ring at the end of an overlong line")
            << QByteArrayList{QByteArray(RingLineReader::MaxLine, 'x'), "RING\r\n"} << 0;
    }

    void countsRingResultLines()
    {
        QFETCH(QByteArrayList, chunks);
        QFETCH(int, rings);
        RingLineReader reader;
        int counted = 0;
        for (const QByteArray& chunk : chunks)
            reader.feed(chunk.constData(), chunk.size(),
                        [&counted](const QByteArray& line) { counted += RingLineReader::isRing(line); });
        QCOMPARE(counted, rings);
    }

    void checksOncePerCall_data()
    {
        QTest::addColumn<QList<qint64>>("rings"); // ms
        QTest::addColumn<QList<qint64>>("checks");

        QTest::newRow("three rings") << QList<qint64>{0, 5000, 10000} << QList<qint64>{5000};
        QTest::newRow("two calls") << QList<qint64>{0, 5000, 10000, 20000, 25000} << QList<qint64>{5000, 25000};
        QTest::newRow("a single ring") << QList<qint64>{0} << QList<qint64>{6000};
        QTest::newRow("a late second ring") << QList<qint64>{0, 7000} << QList<qint64>{6000};
        QTest::newRow("8 s apart: two calls") << QList<qint64>{0, 8000} << QList<qint64>{6000, 14000};
        QTest::newRow("pin and line report each ring") << QList<qint64>{0, 10, 4000, 4005} << QList<qint64>{4000};
        QTest::newRow("a 3 s cadence, the next call 5 s on")
            << QList<qint64>{0, 3000, 6000, 11000, 14000} << QList<qint64>{3000, 14000};
        QTest::newRow("a double ring's bursts are one cycle")
            << QList<qint64>{0, 1500, 6000, 7500, 12000} << QList<qint64>{1500};
    }

    void checksOncePerCall()
    {
        QFETCH(QList<qint64>, rings);
        QFETCH(QList<qint64>, checks);
        RingCallRule rule;
        QList<qint64> started;
        // The clock stops at each ring and at each time the rule asks to be woken.
        auto runUntil = [&](qint64 end) {
            for (qint64 due = rule.nextDueMs(); due >= 0 && due <= end; due = rule.nextDueMs()) {
                if (rule.due(due) == RingCallRule::Action::Query)
                    started << due;
            }
        };
        for (qint64 at : rings) {
            runUntil(at);
            if (rule.ring(at) == RingCallRule::Action::Query)
                started << at;
        }
        runUntil(rings.last() + 60000);
        QCOMPARE(started, checks);
    }

    // Events: "ring@ms", "line@ms" (a caller-ID line, no number yet),
    // "number@ms" (the number came, its name may follow), "whole@ms" (all came),
    // "other@ms" (all of an announcement of a number other than the call's).
    void announcementSettlesTheCall_data()
    {
        QTest::addColumn<QStringList>("events");
        QTest::addColumn<QStringList>("outcomes");

        QTest::newRow("between the first two rings")
            << QStringList{"ring@0", "line@2400", "number@2500", "whole@2600", "ring@6000", "ring@12000"}
            << QStringList{"announce@2600"};
        QTest::newRow("no name: waited for")
            << QStringList{"ring@0", "number@2500", "ring@6000"} << QStringList{"announce@3500"};
        QTest::newRow("no name: the next ring ends the wait")
            << QStringList{"ring@0", "number@5500", "ring@6000"} << QStringList{"announce@6000"};
        QTest::newRow("a lone ring, a late number")
            << QStringList{"ring@0", "number@5500"} << QStringList{"announce@6500"};
        QTest::newRow("no number: the query")
            << QStringList{"ring@0", "line@2400", "ring@6000"} << QStringList{"query@6000"};
        QTest::newRow("a number after the query")
            << QStringList{"ring@0", "ring@5000", "whole@5500", "ring@10000"} << QStringList{"query@5000"};
        QTest::newRow("before the first ring")
            << QStringList{"whole@0", "ring@1500", "ring@7500"} << QStringList{"announce@0"};
        QTest::newRow("before the first ring, no name")
            << QStringList{"number@0", "ring@500", "ring@6500"} << QStringList{"announce@500"};
        QTest::newRow("after the call ended")
            << QStringList{"ring@0", "ring@5000", "whole@20000", "ring@21000", "ring@27000"}
            << QStringList{"query@5000", "announce@20000"};
        QTest::newRow("two calls") << QStringList{"ring@0", "whole@2500", "ring@6000", "ring@20000", "whole@22500"}
                                   << QStringList{"announce@2500", "announce@22500"};
        QTest::newRow("the next caller right after")
            << QStringList{"ring@0", "whole@2500", "ring@6000", "ring@12000", "other@14500", "ring@18000"}
            << QStringList{"announce@2500", "announce@14500"};
        QTest::newRow("another number among the announcement's lines")
            << QStringList{"ring@0", "whole@2500", "other@2510", "ring@6000"} << QStringList{"announce@2500"};
        QTest::newRow("another number before the call's was announced")
            << QStringList{"ring@0", "number@2500", "other@2600", "ring@6000"} << QStringList{"announce@2600"};
        QTest::newRow("lines alone start no check")
            << QStringList{"line@0", "line@100", "ring@20000"} << QStringList{"query@26000"};
    }

    void announcementSettlesTheCall()
    {
        QFETCH(QStringList, events);
        QFETCH(QStringList, outcomes);
        RingCallRule rule;
        QStringList came;
        auto note = [&](RingCallRule::Action action, qint64 at) {
            if (action == RingCallRule::Action::Query)
                came << QStringLiteral("query@%1").arg(at);
            else if (action == RingCallRule::Action::Announce)
                came << QStringLiteral("announce@%1").arg(at);
        };
        auto runUntil = [&](qint64 end) {
            for (qint64 due = rule.nextDueMs(); due >= 0 && due <= end; due = rule.nextDueMs())
                note(rule.due(due), due);
        };
        qint64 at = 0;
        for (const QString& event : events) {
            const QString kind = event.section(QLatin1Char('@'), 0, 0);
            at = event.section(QLatin1Char('@'), 1).toLongLong();
            runUntil(at);
            if (kind == QLatin1String("ring"))
                note(rule.ring(at), at);
            else if (kind == QLatin1String("other"))
                note(rule.callerId(at, true, true, rule.startsCall(at, true)), at);
            else
                note(rule.callerId(at, kind != QLatin1String("line"), kind == QLatin1String("whole")), at);
        }
        runUntil(at + 60000);
        QCOMPARE(came, outcomes);
    }

    void ringIndicatorPinRings()
    {
        ModemSimulator modem;
        QVERIFY(modem.start());
        RingPin::State pin = RingPin::State::Off;
        RingTrigger trigger(std::make_unique<FakePin>(&pin));
        trigger.setTimings(quickRetries());
        QSignalSpy wanted(&trigger, &RingTrigger::checkWanted);
        trigger.arm({modem.devicePath(), QStringLiteral("115200,n,8,1"), QStringLiteral("ttyS0")});
        QVERIFY(trigger.isWatching());

        for (int ring = 0; ring < 2; ++ring) {
            pin = RingPin::State::On;
            QTest::qWait(2 * RingTrigger::PinPollMs);
            pin = RingPin::State::Off;
            QTest::qWait(RingCallRule::Timings().sameRingMs);
        }
        QTRY_COMPARE_WITH_TIMEOUT(wanted.count(), 1,
                                  10000); // the lone-ring check, should a slow machine merge the rings
    }

    // A port missing at arming, then plugged in, unplugged and plugged in again.
    void watchesThePortWheneverItIsThere()
    {
        ModemSimulator modem;
        RingTrigger trigger;
        trigger.setTimings(quickRetries());
        QSignalSpy wanted(&trigger, &RingTrigger::checkWanted);
        QSignalSpy problems(&trigger, &RingTrigger::problem);
        trigger.arm({modem.linkPath(), QStringLiteral("115200,n,8,1"), QStringLiteral("ttyS0")});
        QCOMPARE(problems.count(), 1);
        QVERIFY2(problems[0][0].toString().contains(modem.linkPath()), qPrintable(problems[0][0].toString()));
        QVERIFY(!trigger.isWatching());

        QVERIFY(modem.start());
        QTRY_VERIFY_WITH_TIMEOUT(trigger.isWatching(), 10 * quickRetries().retryMs);
        modem.stop();
        QTRY_VERIFY(!trigger.isWatching());
        QCOMPARE(problems.count(), 2);

        const qint64 cpuBefore = ProcessUsage::cpuTimeMs();
        QTest::qWait(2 * quickRetries().retryMs);
        QVERIFY2(ProcessUsage::cpuTimeMs() - cpuBefore < 100, "the watcher kept busy without its port");
        QCOMPARE(problems.count(), 2);

        QVERIFY(modem.restart());
        QTRY_VERIFY_WITH_TIMEOUT(trigger.isWatching(), 10 * quickRetries().retryMs);
        modem.ring();
        QTest::qWait(RingCallRule::Timings().sameRingMs + 100);
        modem.ring();
        QTRY_COMPARE_WITH_TIMEOUT(wanted.count(), 1,
                                  10000); // the lone-ring check, should a slow machine merge the rings
        QCOMPARE(problems.count(), 2);
    }

    void announcedCallComesAtTheFirstRing_data()
    {
        QTest::addColumn<QStringList>("switches");
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("name");
        QTest::newRow("a named caller") << QStringList{"--numbers", "5550199"} << QStringLiteral("5550199")
                                        << QStringLiteral("JOHN Q SAMPLE");
        QTest::newRow("withheld") << QStringList{"--withheld"} << QStringLiteral("Private") << QString();
        QTest::newRow("unavailable") << QStringList{"--unavailable"} << QStringLiteral("Unavailable") << QString();
    }

    // The modem told to announce when watching starts; no query for the call.
    void announcedCallComesAtTheFirstRing()
    {
        QFETCH(QStringList, switches);
        QFETCH(QString, number);
        QFETCH(QString, name);
        ModemSimulator modem(switches << QStringLiteral("--announce"));
        QVERIFY(modem.start());
        RingTrigger trigger;
        trigger.setTimings(quickRetries());
        QSignalSpy announced(&trigger, &RingTrigger::announced);
        QSignalSpy wanted(&trigger, &RingTrigger::checkWanted);
        trigger.arm({modem.devicePath(), QStringLiteral("115200,n,8,1"), QStringLiteral("ttyS0"),
                     QStringLiteral("CALLING "), QStringLiteral("AT+VCID=1")});
        QTRY_VERIFY(modem.transcript().contains("AT+VCID=1\r\n"));

        modem.ring();
        // Well before the end of the wait for a name: the block's NAME line ends it.
        QTRY_COMPARE_WITH_TIMEOUT(announced.count(), 1, RingCallRule::Timings().nameWaitMs * 3 / 4);
        QCOMPARE(announced[0], (QVariantList{number.toUtf8(), name}));
        QTest::qWait(RingCallRule::Timings().sameRingMs + 100);
        modem.ring();
        QTest::qWait(500);
        QCOMPARE(wanted.count(), 0);
        QCOMPARE(announced.count(), 1);
    }

    // The next caller rings less than a call gap after the one before: both are shown.
    void nextCallerRightAfterIsShown()
    {
        ModemSimulator modem({QStringLiteral("--announce"), QStringLiteral("--numbers"),
                              QStringLiteral("5550199,5550188"), QStringLiteral("--call-gap-ms"), QStringLiteral("0")});
        QVERIFY(modem.start());
        RingTrigger trigger;
        trigger.setTimings(quickRetries());
        QSignalSpy announced(&trigger, &RingTrigger::announced);
        trigger.arm({modem.devicePath(), QStringLiteral("115200,n,8,1"), QStringLiteral("ttyS0"),
                     QStringLiteral("CALLING "), QStringLiteral("AT+VCID=1")});
        QTRY_VERIFY(modem.transcript().contains("AT+VCID=1\r\n"));

        modem.ring();
        QTRY_COMPARE(announced.count(), 1);
        QTest::qWait(RingCallRule::Timings().sameRingMs * 2);
        modem.ring();
        QTRY_COMPARE(announced.count(), 2);
        QCOMPARE(announced[0][0].toByteArray(), QByteArray("5550199"));
        QCOMPARE(announced[1][0].toByteArray(), QByteArray("5550188"));
    }

    // A modem that was never told to announce: its calls get the query.
    void callWithoutAnnouncementGetsTheQuery()
    {
        ModemSimulator modem({QStringLiteral("--announce")});
        QVERIFY(modem.start());
        RingTrigger trigger;
        trigger.setTimings(quickRetries());
        QSignalSpy announced(&trigger, &RingTrigger::announced);
        QSignalSpy wanted(&trigger, &RingTrigger::checkWanted);
        trigger.arm({modem.devicePath(), QStringLiteral("115200,n,8,1"), QStringLiteral("ttyS0")});

        modem.ring();
        QTest::qWait(RingCallRule::Timings().sameRingMs + 100);
        QCOMPARE(wanted.count(), 0);
        modem.ring();
        QTRY_COMPARE(wanted.count(), 1);
        QCOMPARE(announced.count(), 0);
        QCOMPARE(modem.transcript(), QByteArray());
    }

    // On arming, after an unplug and re-plug (a modem that forgot it), and after a check on the shared line.
    void ringCommandReachesTheModemWheneverThePortOpens()
    {
        ModemSimulator modem({QStringLiteral("--announce")});
        QVERIFY(modem.start());
        RingTrigger trigger;
        trigger.setTimings(quickRetries());
        QSignalSpy announced(&trigger, &RingTrigger::announced);
        trigger.arm({modem.linkPath(), QStringLiteral("115200,n,8,1"), modem.linkPath(), QString(),
                     QStringLiteral("AT+VCID=1")});
        QTRY_COMPARE(modem.transcript(), QByteArray("AT+VCID=1\r\n"));

        modem.stop();
        QTRY_VERIFY(!trigger.isWatching());
        QVERIFY(modem.restart());
        QTRY_COMPARE_WITH_TIMEOUT(modem.transcript(), QByteArray("AT+VCID=1\r\n").repeated(2),
                                  10 * quickRetries().retryMs);
        modem.ring();
        QTRY_COMPARE(announced.count(), 1);

        trigger.tellModemAgain(); // as after each check on the shared line
        QVERIFY(trigger.isWatching());
        QTRY_COMPARE(modem.transcript(), QByteArray("AT+VCID=1\r\n").repeated(3));
    }
};

QTEST_MAIN(TestRingTrigger)
#include "tst_ringtrigger.moc"
