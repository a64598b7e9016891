// The common kinds of caller-ID modem, as a new user meets them: the port is
// chosen in the first-run configuration, OK pressed, and the next call shows
// its number. And a modem that forgets its caller-ID command is told again.
#include "ConfigDlgFixture.h"
#include "ModemSimulator.h"

#include "check/RingTrigger.h"
#include "strings.h"
#include "ui/NumberLabel.h"

#include <QTest>

namespace {
RingTrigger::Timings quickCalls()
{
    RingTrigger::Timings timings;
    timings.call.callGapMs = 1500;
    timings.call.loneRingMs = 1000;
    timings.call.sameRingMs = 100;
    timings.call.nameWaitMs = 300;
    return timings;
}

// Two rings of one call, as far apart as the quick timings allow.
void ringTwice(ModemSimulator& modem)
{
    modem.ring();
    QTest::qWait(300);
    modem.ring();
}
} // namespace

class TestModemFamilies : public QObject
{
    Q_OBJECT

private slots:
    void choosingThePortIsEnough_data()
    {
        QTest::addColumn<QString>("family");
        QTest::addColumn<QString>("found");
        QTest::newRow("voice modem") << "vcid" << "Ringlet Sim 56K Voice USB V1.2: tells callers by itself (AT+VCID=1)";
        QTest::newRow("older modem") << "cid" << "Ringlet Sim 33.6 Data Fax: tells callers by itself (AT#CID=1)";
        QTest::newRow("mobile dongle") << "clip" << "Ringlet Sim SIM3G: tells callers by itself (AT+CLIP=1)";
        QTest::newRow("query modem") << "query" << "Ringlet Sim Caller ID Modem: answers the last-caller query";
    }

    // The name is typed and OK pressed at once: OK waits for the detection,
    // whose settings it then applies.
    void choosingThePortIsEnough()
    {
        QFETCH(QString, family);
        QFETCH(QString, found);
        ModemSimulator modem({QStringLiteral("--family"), family, QStringLiteral("--numbers"), QStringLiteral("5550142")});
        QVERIFY(modem.start());
        ConfigSetup setup;
        setup.main.ringTrigger().setTimings(quickCalls());
        QString detected;
        ModalDriver<CConfigDlg> driver({[&](CConfigDlg* dialog) {
            QObject::connect(dialog, &CConfigDlg::modemDetected, dialog,
                             [&detected, dialog] { detected = dialog->detectionText(); });
            QTest::keyClicks(control<QComboBox>(dialog, "IDC_PORT")->lineEdit(), modem.linkPath());
            control<QPushButton>(dialog, "IDOK")->click();
        }});
        QVERIFY(runFirstRunConfiguration(&setup.main));
        QCOMPARE(detected, found);
        QCOMPARE(setup.main.settings().port, modem.linkPath());

        ringTwice(modem);
        QTRY_COMPARE_WITH_TIMEOUT(setup.main.numberLabel()->text(), QStringLiteral("5550142"), 5000);
        QVERIFY(setup.boxes.blockingTexts().isEmpty());
    }

    // A blip makes the modem forget AT+VCID=1: the call after it rings without
    // a number and is told so (not as a failed query, which this modem
    // refuses); the command goes out again at once, so the next call has its
    // number. Two such calls in a row are told once, without blocking.
    void modemThatForgetsIsToldAgain()
    {
        ModemSimulator modem({QStringLiteral("--family"), QStringLiteral("vcid"), QStringLiteral("--numbers"),
                              QStringLiteral("5550101,5550102,5550103"), QStringLiteral("--call-gap-ms"),
                              QStringLiteral("1000")});
        QVERIFY(modem.start());
        ConfigSetup setup;
        setup.main.ringTrigger().setTimings(quickCalls());
        SettingsRecord record = setup.main.settings();
        record.port = record.anotherPort = modem.linkPath();
        record.autoMethod = AutoMethod::Automate | AutoMethod::ModeOnRing;
        record.ringCommand = QStringLiteral("AT+VCID=1");
        record.queryRefused = 1;
        setup.main.desk().applySettings(record);
        NumberLabel* label = setup.main.numberLabel();
        const auto call = [&modem](bool blipFirst) {
            QTest::qWait(1600); // the call before is over
            if (blipFirst)
                modem.powerBlip();
            ringTwice(modem);
        };

        call(false);
        QTRY_COMPARE_WITH_TIMEOUT(label->text(), QStringLiteral("5550101"), 5000);
        call(true);
        QTRY_COMPARE_WITH_TIMEOUT(label->text(), QString::fromLatin1(Texts::CallerNoCallerId), 5000);
        call(false);
        QTRY_COMPARE_WITH_TIMEOUT(label->text(), QStringLiteral("5550102"), 5000);
        QCOMPARE(setup.boxes.count(), 0);

        call(true);
        QTRY_COMPARE_WITH_TIMEOUT(label->text(), QString::fromLatin1(Texts::CallerNoCallerId), 5000);
        call(true);
        QTRY_COMPARE_WITH_TIMEOUT(setup.boxes.count(), 1, 5000);
        QVERIFY(setup.boxes.texts().first().startsWith(QStringLiteral("The modem on ")));
        QVERIFY(setup.boxes.blockingTexts().isEmpty());
        call(false);
        QTRY_COMPARE_WITH_TIMEOUT(label->text(), QStringLiteral("5550103"), 5000);
        setup.main.CheckNumber(); // by hand: the last caller stays, and the query is never sent
        QCOMPARE(label->text(), QStringLiteral("5550103"));
        QVERIFY(!modem.transcript().contains("AT\\L1"));
    }
};

QTEST_MAIN(TestModemFamilies)
#include "tst_modemfamilies.moc"
