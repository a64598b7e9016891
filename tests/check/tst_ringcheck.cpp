#include "MainWindowRig.h"
#include "ModemSimulator.h"

#include "check/RingCallRule.h"
#include "ui/MainDlg.h"

#include <QLabel>
#include <QSerialPort>
#include <QTest>

// Checks started by rings, through the main window, over real pseudo-terminals.
class TestRingCheck : public QObject
{
    Q_OBJECT

private:
    // A main window in mode "On Ring another com port", in a working directory of its own.
    struct Rig : MainWindowRig
    {
        Rig(const QString& checkPort, const QString& ringPort) : MainWindowRig(checkPort)
        {
            dlg.settings().anotherPort = ringPort;
            dlg.settings().logFlags = 1;
            dlg.settings().autoMethod = 9;
            dlg.show();
        }
    };

    // The first two rings of a call: the second starts the check.
    static void ringTwice(ModemSimulator& modem)
    {
        modem.ring();
        QTest::qWait(RingCallRule::Timings().sameRingMs + 100);
        modem.ring();
    }

private slots:
    void ringOnAnotherPortChecksOnce()
    {
        ModemSimulator checkModem({QStringLiteral("--numbers"), QStringLiteral("0555")});
        ModemSimulator ringModem;
        QVERIFY(checkModem.start());
        QVERIFY(ringModem.start());
        Rig rig(checkModem.devicePath(), ringModem.linkPath());
        QVERIFY(rig.dlg.ringTrigger().isWatching());

        ringTwice(ringModem);
        QTRY_COMPARE_WITH_TIMEOUT(rig.dlg.numberLabel()->text(), QStringLiteral("0555"), 10000);
        QCOMPARE(rig.logLines().size(), 1);
        QCOMPARE(checkModem.transcript(), QByteArray("AT\\L1\r\n"));
        QCOMPARE(rig.boxes.count(), 0);
    }

    void onePortForRingsAndChecks()
    {
        ModemSimulator modem({QStringLiteral("--numbers"), QStringLiteral("0777")});
        QVERIFY(modem.start());
        // The same device under two names: the watcher still lends it to the check.
        Rig rig(modem.devicePath(), modem.linkPath());

        ringTwice(modem);
        QTRY_COMPARE_WITH_TIMEOUT(rig.dlg.numberLabel()->text(), QStringLiteral("0777"), 10000);
        QCOMPARE(rig.logLines().size(), 1);
        QCOMPARE(rig.boxes.count(), 0);
        QTRY_VERIFY(rig.dlg.ringTrigger().isWatching());
    }

    void changingTheModeReleasesThePort()
    {
        ModemSimulator modem;
        QVERIFY(modem.start());
        Rig rig(QStringLiteral("ttyS0"), modem.devicePath());
        QSerialPort other;
        other.setPortName(modem.devicePath());
        QVERIFY(!other.open(QIODevice::ReadWrite)); // held by the watcher

        rig.dlg.settings().autoMethod = 8;
        rig.dlg.ApplyAutomation();
        QVERIFY(other.open(QIODevice::ReadWrite));
        QCOMPARE(rig.boxes.count(), 0);
    }
};

QTEST_MAIN(TestRingCheck)
#include "tst_ringcheck.moc"
