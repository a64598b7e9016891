#include "ModemSimulator.h"
#include "ProcessUsage.h"

#include "check/RingCallRule.h"
#include "check/RingLines.h"
#include "check/RingTrigger.h"

#include <QSignalSpy>
#include <QTest>

// Ring detection: result lines, the one-check-per-call rule on a fake clock,
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

private slots:
    void countsRingResultLines_data()
    {
        QTest::addColumn<QByteArrayList>("chunks");
        QTest::addColumn<int>("rings");

        QTest::newRow("CR LF") << QByteArrayList{"\r\nRING\r\n"} << 1;
        QTest::newRow("split across reads") << QByteArrayList{"\r\nRI", "N", "G\r", "\n"} << 1;
        QTest::newRow("CR, LF and CR LF ends") << QByteArrayList{"RING\rRING\nRING\r\n"} << 3;
        QTest::newRow("distinctive ring") << QByteArrayList{"RING A\r\n", "RINGB\r\n"} << 2;
        QTest::newRow("numeric result") << QByteArrayList{"2\r"} << 1;
        QTest::newRow("no end yet") << QByteArrayList{"RING"} << 0;
        QTest::newRow("noise") << QByteArrayList{"OK\r\nRINGING\r\n12\r\nRING 0123456789\r\nCALLING 2\r\nRING a\r\n"}
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
            counted += reader.feed(chunk.constData(), chunk.size());
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
                if (rule.due(due))
                    started << due;
            }
        };
        for (qint64 at : rings) {
            runUntil(at);
            if (rule.ring(at))
                started << at;
        }
        runUntil(rings.last() + 60000);
        QCOMPARE(started, checks);
    }

    void ringIndicatorPinRings()
    {
        ModemSimulator modem;
        QVERIFY(modem.start());
        RingPin::State pin = RingPin::State::Off;
        RingTrigger trigger(std::make_unique<FakePin>(&pin));
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
        QSignalSpy wanted(&trigger, &RingTrigger::checkWanted);
        QSignalSpy problems(&trigger, &RingTrigger::problem);
        trigger.arm({modem.linkPath(), QStringLiteral("115200,n,8,1"), QStringLiteral("ttyS0")});
        QCOMPARE(problems.count(), 1);
        QVERIFY2(problems[0][0].toString().contains(modem.linkPath()), qPrintable(problems[0][0].toString()));
        QVERIFY(!trigger.isWatching());

        QVERIFY(modem.start());
        QTRY_VERIFY_WITH_TIMEOUT(trigger.isWatching(), 3 * RingTrigger::RetryMs);
        modem.stop();
        QTRY_VERIFY(!trigger.isWatching());
        QCOMPARE(problems.count(), 2);

        const qint64 cpuBefore = ProcessUsage::cpuTimeMs();
        QTest::qWait(2 * RingTrigger::RetryMs);
        QVERIFY2(ProcessUsage::cpuTimeMs() - cpuBefore < 100, "the watcher kept busy without its port");
        QCOMPARE(problems.count(), 2);

        QVERIFY(modem.restart());
        QTRY_VERIFY_WITH_TIMEOUT(trigger.isWatching(), 3 * RingTrigger::RetryMs);
        modem.ring();
        QTest::qWait(RingCallRule::Timings().sameRingMs + 100);
        modem.ring();
        QTRY_COMPARE_WITH_TIMEOUT(wanted.count(), 1,
                                  10000); // the lone-ring check, should a slow machine merge the rings
        QCOMPARE(problems.count(), 2);
    }
};

QTEST_MAIN(TestRingTrigger)
#include "tst_ringtrigger.moc"
