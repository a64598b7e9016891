#include "MainWindowRig.h"
#include "ModemSimulator.h"

#include "check/RingCallRule.h"
#include "check/RingTrigger.h"
#include "ui/MainDlg.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QSerialPort>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

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
            // A port that comes back is found in a tenth of the usual time.
            RingTrigger::Timings quick;
            quick.retryMs = RingTrigger::RetryMs / 10;
            dlg.ringTrigger().setTimings(quick);
            dlg.checkCycle().setStepMs(200);
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

    void onePortForRingsAndChecks_data()
    {
        QTest::addColumn<bool>("relativeCheckPort");
        QTest::newRow("a link and its device") << false;
        // The serial library opens "pts/3" as /dev/pts/3, wherever the program runs.
        QTest::newRow("a name below /dev and its path") << true;
    }

    // The same device under two names: the watcher still lends it to the check.
    void onePortForRingsAndChecks()
    {
        QFETCH(bool, relativeCheckPort);
        ModemSimulator modem({QStringLiteral("--numbers"), QStringLiteral("0777")});
        QVERIFY(modem.start());
        const QString device = modem.devicePath();
        Rig rig(relativeCheckPort ? device.mid(int(qstrlen("/dev/"))) : device,
                relativeCheckPort ? device : modem.linkPath());

        ringTwice(modem);
        QTRY_COMPARE_WITH_TIMEOUT(rig.dlg.numberLabel()->text(), QStringLiteral("0777"), 10000);
        QCOMPARE(rig.logLines().size(), 1);
        QCOMPARE(rig.boxes.count(), 0);
        QTRY_VERIFY(rig.dlg.ringTrigger().isWatching());
    }

    void announcedCallIsTheCallsCheck_data()
    {
        QTest::addColumn<QStringList>("caller");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("name");
        QTest::newRow("named") << QStringList{"--numbers", "5550199", "--caller-name", "JOHN Q SAMPLE"}
                               << QStringLiteral("5550199") << QStringLiteral("JOHN Q SAMPLE");
        QTest::newRow("withheld") << QStringList{"--withheld"} << QStringLiteral("Private") << QString();
    }

    // One modem for rings and checks that announces the caller once told to:
    // the number is shown and logged at the first ring, and no query is sent.
    void announcedCallIsTheCallsCheck()
    {
        QFETCH(QStringList, caller);
        QFETCH(QString, shown);
        QFETCH(QString, name);
        ModemSimulator modem(caller << QStringLiteral("--announce"));
        QVERIFY(modem.start());
        MainWindowRig rig(modem.devicePath());
        rig.dlg.settings().anotherPort = modem.devicePath();
        rig.dlg.settings().ringCommand = QStringLiteral("AT+VCID=1");
        rig.dlg.settings().logFlags = 1;
        rig.dlg.settings().autoMethod = 9;
        rig.dlg.show();
        QTRY_VERIFY(modem.transcript().endsWith("AT+VCID=1\r\n"));

        modem.ring();
        QTRY_COMPARE_WITH_TIMEOUT(rig.dlg.numberLabel()->text(), shown, 1500);
        QCOMPARE(rig.dlg.numberLabel()->name(), name);
        ringTwice(modem);
        QTest::qWait(500);
        QCOMPARE(rig.logLines().size(), 1);
        QVERIFY(rig.logLines()[0].startsWith(shown.toUtf8() + " @ "));
        QVERIFY(!modem.transcript().contains("AT\\L1"));
        QCOMPARE(rig.dlg.settings().previousNo, shown);
    }

    void callRingingDuringACheckByHandGetsItsOwnCheckAfterIt()
    {
        ModemSimulator checkModem({QStringLiteral("--numbers"), QStringLiteral("0111,0222")});
        ModemSimulator ringModem;
        QVERIFY(checkModem.start());
        QVERIFY(ringModem.start());
        Rig rig(checkModem.devicePath(), ringModem.devicePath());
        QTimer::singleShot(100, &rig.dlg, [&] { ringTwice(ringModem); });
        rig.pressCheck();
        QCOMPARE(rig.dlg.numberLabel()->text(), QStringLiteral("0111"));

        QTRY_COMPARE_WITH_TIMEOUT(rig.dlg.numberLabel()->text(), QStringLiteral("0222"), 5000);
        QCOMPARE(rig.logLines().size(), 2);
    }

    // A check cut short on the ring port (a send the frozen line does not take)
    // gives the port back to the watcher, and the window stays live meanwhile.
    // One line for the check and the watcher: rings during the check are seen.
    void callRingingDuringACheckOnTheSharedPortIsSeen()
    {
        ModemSimulator modem({QStringLiteral("--numbers"), QStringLiteral("0111,0222")});
        QVERIFY(modem.start());
        Rig rig(modem.devicePath(), modem.devicePath());
        rig.dlg.checkCycle().setStepMs(CheckCycle::StepMs); // both rings within the check
        QTimer::singleShot(100, &rig.dlg, [&] { ringTwice(modem); });
        rig.pressCheck();
        QCOMPARE(rig.dlg.numberLabel()->text(), QStringLiteral("0111"));

        QTRY_COMPARE_WITH_TIMEOUT(rig.dlg.numberLabel()->text(), QStringLiteral("0222"), 5000);
        QCOMPARE(modem.transcript(), QByteArray("AT\\L1\r\n").repeated(2));
    }

    void checkCutShortGivesThePortBackToTheWatcher()
    {
        ModemSimulator modem;
        QVERIFY(modem.start());
        Rig rig(modem.devicePath(), modem.devicePath());
        rig.dlg.settings().command = QString(1024 * 1024, QLatin1Char('A')); // far more than the line holds
        modem.freeze();

        QElapsedTimer clock;
        clock.start();
        qint64 last = 0;
        qint64 longestPause = 0;
        QTimer beat;
        connect(&beat, &QTimer::timeout, &beat, [&] {
            longestPause = qMax(longestPause, clock.elapsed() - last);
            last = clock.elapsed();
        });
        beat.start(20);
        rig.runCheck(CheckTrigger::Ring);
        QVERIFY2(longestPause < 500, qPrintable(QStringLiteral("the window froze for %1 ms").arg(longestPause)));
        QCOMPARE(rig.boxes.count(), 1);
        QVERIFY2(rig.boxes.texts()[0].contains(QStringLiteral("does not take the data")), qPrintable(rig.boxes.texts()[0]));
        QVERIFY(rig.dlg.ringTrigger().isWatching());

        modem.resume();
        rig.dlg.settings().command = QStringLiteral("AT\\L1");
        ringTwice(modem);
        QTRY_VERIFY_WITH_TIMEOUT(modem.transcript().endsWith("AT\\L1\r\n"), 10000);
    }

    // A USB modem whose link comes and goes: one box, which blocks nothing.
    void ringPortGoingAwayAgainAndAgainIsToldOnce()
    {
        ModemSimulator checkModem;
        ModemSimulator ringModem;
        QVERIFY(checkModem.start());
        QVERIFY(ringModem.start());
        Rig rig(checkModem.devicePath(), ringModem.linkPath());
        for (int loss = 0; loss < 2; ++loss) {
            ringModem.stop();
            QTRY_VERIFY(!rig.dlg.ringTrigger().isWatching());
            QVERIFY(ringModem.restart());
            QTRY_VERIFY_WITH_TIMEOUT(rig.dlg.ringTrigger().isWatching(), RingTrigger::RetryMs);
        }
        QCOMPARE(rig.boxes.count(), 1);
        QCOMPARE(rig.boxes.blockingTexts(), QStringList());
    }

    void ringPortThatWillNotOpenIsDiagnosed_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("said");
        QTest::addColumn<bool>("retried");
        QTest::newRow("regular file") << "file" << "is not a serial port (it is a regular file)" << false;
        QTest::newRow("folder") << "folder" << "is not a serial port (it is a folder)" << false;
        QTest::newRow("/dev/null") << "null" << "is not a serial port (it is a device of another kind)" << false;
        QTest::newRow("held by another program") << "held" << "is in use by another program" << true;
        QTest::newRow("unplugged") << "missing" << "does not exist or was unplugged" << true;
    }

    // The same words as for the check port; a port that can never work is not
    // tried again; the main window shows before the box.
    void ringPortThatWillNotOpenIsDiagnosed()
    {
        QFETCH(QString, kind);
        QFETCH(QString, said);
        QFETCH(bool, retried);
        QTemporaryDir dir;
        ModemSimulator modem;
        QSerialPort holder;
        QString port = dir.filePath(kind);
        if (kind == QLatin1String("file")) {
            QFile file(port);
            QVERIFY(file.open(QIODevice::WriteOnly));
        } else if (kind == QLatin1String("folder")) {
            QVERIFY(QDir(dir.path()).mkdir(kind));
        } else if (kind == QLatin1String("null")) {
            port = QStringLiteral("/dev/null");
        } else if (kind == QLatin1String("held")) {
            QVERIFY(modem.start());
            port = modem.devicePath();
            holder.setPortName(port);
            QVERIFY(holder.open(QIODevice::ReadWrite));
        }
        Rig rig(QStringLiteral("ttyS0"), port);
        QCOMPARE(rig.boxes.count(), 0); // not before the window
        QTRY_COMPARE(rig.boxes.count(), 1);
        QVERIFY2(rig.boxes.texts()[0].startsWith(port + QLatin1Char(' ')) ||
                     rig.boxes.texts()[0].contains(QStringLiteral("port ") + port + QLatin1Char(' ')),
                 qPrintable(rig.boxes.texts()[0]));
        QVERIFY2(rig.boxes.texts()[0].contains(said), qPrintable(rig.boxes.texts()[0]));
        QCOMPARE(rig.dlg.ringTrigger().isRetrying(), retried);
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
