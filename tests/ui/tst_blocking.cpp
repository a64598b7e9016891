// Blocked callers, through the real window, block list and modem simulator:
// the modem picks up and hangs up at once, so the phone rings no more.
#include "ConfigDlgFixture.h"
#include "ModemSimulator.h"

#include "calls/BlockList.h"
#include "check/RingTrigger.h"
#include "core/CallDesk.h"
#include "ui/NumberLabel.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {
// "<ms> RING" and "<ms> OFFHOOK" lines the simulator wrote, as (ms, what).
QList<QPair<qint64, QByteArray>> eventsIn(const QString& path)
{
    QList<QPair<qint64, QByteArray>> events;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return events;
    for (const QByteArray& line : file.readAll().split('\n')) {
        const QList<QByteArray> fields = line.trimmed().split(' ');
        if (fields.size() == 2)
            events.append({fields[0].toLongLong(), fields[1]});
    }
    return events;
}

// A voice modem whose every ring signal is a call from `number` of `rings`
// rings `periodMs` apart, its events written to `events`.
QStringList voiceModemCall(const char* number, int rings, int periodMs, const QString& events)
{
    return {QStringLiteral("--family"), QStringLiteral("vcid"),          QStringLiteral("--numbers"),
            QLatin1String(number),      QStringLiteral("--cadence"),     QString::number(rings),
            QStringLiteral("--ring-period-ms"), QString::number(periodMs), QStringLiteral("--events"),
            events};
}

struct BlockingDesk : ConfigSetup
{
    BlockingDesk(const ModemSimulator& modem, const QString& ringCommand, const QByteArray& blockList)
    {
        QFile list(profile.store().folder() + QLatin1Char('/') + QLatin1String(BlockList::FileName));
        if (list.open(QIODevice::WriteOnly))
            list.write(blockList);
        list.close();
        SettingsRecord record = main.settings();
        record.port = record.anotherPort = modem.linkPath();
        record.autoMethod = AutoMethod::Automate | AutoMethod::ModeOnRing;
        record.ringCommand = ringCommand;
        RingTrigger::Timings timings;
        timings.call.callGapMs = 1500;
        timings.call.loneRingMs = 1000;
        timings.call.sameRingMs = 100;
        timings.call.nameWaitMs = 300;
        main.ringTrigger().setTimings(timings);
        main.desk().loadPhoneBook();
        QCoreApplication::processEvents();
        main.desk().applySettings(record);
    }
};
} // namespace

class TestBlocking : public QObject
{
    Q_OBJECT

private slots:
    // A listed caller announced at the first ring: the off-hook command
    // reaches the modem within a second, no ring follows, and the window shows
    // the caller as hung up on, with no attention asked and no notification.
    void announcedBlockedCallerIsHungUpOn()
    {
        QTemporaryDir dir;
        const QString events = dir.filePath(QStringLiteral("events"));
        ModemSimulator modem(voiceModemCall("5550199", 4, 1200, events));
        QVERIFY(modem.start());
        BlockingDesk desk(modem, QStringLiteral("AT+VCID=1"), "# sales\n555-0199\n");
        QSignalSpy calls(&desk.main.desk(), &CallDesk::call);

        modem.ring();
        QTRY_COMPARE_WITH_TIMEOUT(calls.size(), 1, 5000);
        const Call call = calls.at(0).at(0).value<Call>();
        QVERIFY(call.blocked);
        QVERIFY(!call.asksForAttention);
        QCOMPARE(desk.main.numberLabel()->text(), QStringLiteral("5550199"));
        QTest::qWait(3000); // the rings the call would have had
        const auto seen = eventsIn(events);
        QCOMPARE(seen.size(), 2);
        QCOMPARE(seen.at(0).second, QByteArray("RING"));
        QCOMPARE(seen.at(1).second, QByteArray("OFFHOOK"));
        // The block comes 500 ms after the first ring; the off-hook within a second of it.
        QVERIFY2(seen.at(1).first - seen.at(0).first < 1500, QByteArray::number(seen.at(1).first - seen.at(0).first));
        QVERIFY(modem.transcript().contains("ATH1\rATH0\r"));
        QVERIFY(desk.boxes.texts().isEmpty());
    }

    // A caller not listed rings on as before, and so does a listed one's call from another desk.
    void callerNotListedRingsOn()
    {
        QTemporaryDir dir;
        const QString events = dir.filePath(QStringLiteral("events"));
        ModemSimulator modem(voiceModemCall("5550111", 3, 600, events));
        QVERIFY(modem.start());
        BlockingDesk desk(modem, QStringLiteral("AT+VCID=1"), "1900*\n5550199\n");
        modem.ring();
        QTRY_COMPARE_WITH_TIMEOUT(desk.main.numberLabel()->text(), QStringLiteral("5550111"), 5000);
        QTRY_COMPARE_WITH_TIMEOUT(eventsIn(events).size(), 3, 5000);
        // A listed caller from another desk is that desk's to hang up on.
        desk.main.checkCycle().takeOtherDeskCall("5550199", QString());
        QTest::qWait(200);
        QCOMPARE(desk.main.numberLabel()->text(), QStringLiteral("5550199"));
        QVERIFY(!modem.transcript().contains("ATH1"));
    }

    // A call whose number comes from the query at its second ring is hung up
    // on then; a modem that refuses the off-hook command is told of once.
    void queriedCallerHungUpOnAndRefusalTold()
    {
        ModemSimulator modem({QStringLiteral("--numbers"), QStringLiteral("19005550100"), QStringLiteral("--refuse-offhook")});
        QVERIFY(modem.start());
        BlockingDesk desk(modem, QString(), "1900*\n");
        desk.main.checkCycle().setStepMs(100);
        for (int call = 0; call < 2; ++call) {
            const QByteArray before = modem.transcript();
            modem.ring();
            QTest::qWait(300);
            modem.ring();
            QTRY_VERIFY_WITH_TIMEOUT(modem.transcript().mid(before.size()).contains("ATH1\r"), 5000);
            QTest::qWait(1600); // the call is over
        }
        QCOMPARE(desk.boxes.count(), 1);
        QVERIFY(desk.boxes.texts().at(0).contains(QStringLiteral("refused to pick up")));
        QVERIFY(desk.boxes.blockingTexts().isEmpty());
    }
};

QTEST_MAIN(TestBlocking)
#include "tst_blocking.moc"
