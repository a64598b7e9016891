#include "MainWindowRig.h"
#include "ModemSimulator.h"
#include "ProcessUsage.h"

#include "ui/MainDlg.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTimerEvent>
#include <QWindow>

// Whole checks over a real pseudo-terminal, against the project's modem simulator.
class TestCheckNumber : public QObject
{
    Q_OBJECT

private:
    // A shown main window that logs every result, in a working directory of its
    // own. Its checks wait a fifth of a second a step, time enough for the
    // simulator; the tests about the second itself give it back.
    struct Rig : MainWindowRig
    {
        explicit Rig(const QString& port) : MainWindowRig(port)
        {
            dlg.settings().logFlags = 1;
            dlg.checkCycle().setStepMs(200);
            dlg.show();
        }
        void takeRealSeconds() { dlg.checkCycle().setStepMs(CheckCycle::StepMs); }
    };

private slots:
    void checkShowsTheNumberLogsItAndRemembersIt()
    {
        ModemSimulator modem({QStringLiteral("--numbers"), QStringLiteral("0123 456789")});
        QVERIFY(modem.start());
        Rig rig(modem.devicePath());
        rig.pressCheck();

        QCOMPARE(rig.boxes.texts(), QStringList());
        QCOMPARE(rig.dlg.numberLabel()->text(), QStringLiteral("0123 456789"));
        QCOMPARE(rig.dlg.settings().previousNo, QStringLiteral("0123 456789"));
        const QList<QByteArray> lines = rig.logLines();
        QCOMPARE(lines.size(), 1);
        QVERIFY2(lines[0].startsWith("0123 456789 @ ") && lines[0].endsWith('\r'), lines[0].constData());
        QCOMPARE(modem.transcript(), QByteArray("AT\\L1\r\n"));
        QVERIFY(!rig.dlg.comm().GetPortOpen());
    }

    void checkTimerTickRunsAWholeCheck()
    {
        ModemSimulator modem({QStringLiteral("--numbers"), QStringLiteral("0222 1")});
        QVERIFY(modem.start());
        Rig rig(modem.devicePath());
        rig.dlg.settings().autoMethod = AutoMethod::Automate; // every `minutes` minutes
        rig.dlg.ApplyAutomation();
        QVERIFY(rig.dlg.isCheckTimerActive());

        QTimerEvent tick(rig.dlg.automation().timerId());
        QApplication::sendEvent(&rig.dlg.automation(), &tick);
        rig.waitForCheck();
        QCOMPARE(modem.transcript(), QByteArray("AT\\L1\r\n"));
        QCOMPARE(rig.dlg.numberLabel()->text(), QStringLiteral("0222 1"));
        QCOMPARE(rig.dlg.settings().previousNo, QStringLiteral("0222 1"));
        QCOMPARE(rig.logLines().size(), 1);
        QCOMPARE(rig.boxes.count(), 0);
    }

    void repeatsAreSkippedOnlyWhenAsked()
    {
        ModemSimulator modem({QStringLiteral("--numbers"), QStringLiteral("555,555,777")});
        QVERIFY(modem.start());
        Rig rig(modem.devicePath());
        rig.dlg.settings().logFlags = 3;
        rig.dlg.settings().previousNo = QStringLiteral("777"); // the last result of the previous run
        for (int check = 0; check < 3; ++check)
            rig.pressCheck();
        // 555, 555 (skipped), 777
        const QList<QByteArray> lines = rig.logLines();
        QCOMPARE(lines.size(), 2);
        QVERIFY(lines[0].startsWith("555 @ "));
        QVERIFY(lines[1].startsWith("777 @ "));

        // The first check of a run equal to the stored previous number adds nothing.
        rig.pressCheck(); // 555 again: differs from 777, logged
        rig.dlg.settings().previousNo = QStringLiteral("555");
        rig.pressCheck(); // 555 again: equal to the previous, skipped
        QCOMPARE(rig.logLines().size(), 3);
        QCOMPARE(rig.dlg.numberLabel()->text(), QStringLiteral("555"));
    }

    void withLogOffNothingIsWrittenButTheNumberIsRemembered()
    {
        ModemSimulator modem({QStringLiteral("--numbers"), QStringLiteral("0444")});
        QVERIFY(modem.start());
        Rig rig(modem.devicePath());
        rig.dlg.settings().logFlags = 2; // Ignore Same Nomber alone
        rig.pressCheck();
        QCOMPARE(rig.dlg.settings().previousNo, QStringLiteral("0444"));
        QVERIFY(!QFile::exists(rig.logPath()));
    }

    // A name sent in Latin-1 is not UTF-8; the same bytes must still be one caller, also in the next run.
    void bytesThatAreNotUtf8AreRememberedAsTheyCame()
    {
        ModemSimulator modem({QStringLiteral("--numbers"), QStringLiteral("5550199 Jos\\xE9")});
        QVERIFY(modem.start());
        Rig rig(modem.devicePath());
        rig.dlg.settings().logFlags = 3;
        rig.pressCheck();
        rig.pressCheck();
        QCOMPARE(rig.dlg.numberLabel()->text(), QStringLiteral("5550199 Jos\u00e9"));
        QCOMPARE(rig.logLines().size(), 1);
        QVERIFY(rig.logLines()[0].startsWith("5550199 Jos\xE9 @ "));

        rig.dlg.OnClose();
        const auto store = rig.profile.reopen();
        CRingletDlg next(*store, rig.registry);
        next.LoadSettings();
        next.show();
        QTest::mouseClick(next.checkButton(), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!next.desk().isChecking(), 5000);
        QCOMPARE(next.numberLabel()->text(), QStringLiteral("5550199 Jos\u00e9"));
        QCOMPARE(rig.logLines().size(), 1);
        QCOMPARE(rig.boxes.count(), 0);
    }

    void modemAnsweringAfterTheSecondGivesCantFindString()
    {
        ModemSimulator modem({QStringLiteral("--delay-ms"), QStringLiteral("1500")});
        QVERIFY(modem.start());
        Rig rig(modem.devicePath());
        rig.takeRealSeconds();
        rig.pressCheck();
        QCOMPARE(rig.dlg.numberLabel()->text(), QStringLiteral("Can't find string"));
        QCOMPARE(rig.dlg.settings().previousNo, QStringLiteral("Can't find string"));
    }

    void emptyCommandStillSendsTheLineEnd()
    {
        ModemSimulator modem;
        QVERIFY(modem.start());
        Rig rig(modem.devicePath());
        rig.dlg.settings().command.clear();
        rig.pressCheck();
        QCOMPARE(modem.transcript(), QByteArray("\r\n"));
        QCOMPARE(rig.dlg.numberLabel()->text(), QStringLiteral("Can't find string"));
    }

    void missingPortIsOneMessageAndChangesNothing()
    {
        Rig rig(QStringLiteral("/dev/ringlet-no-such-port"));
        rig.dlg.numberLabel()->setText(QStringLiteral("earlier"));
        rig.dlg.settings().previousNo = QStringLiteral("earlier");
        rig.pressCheck();
        QCOMPARE(rig.boxes.count(), 1);
        QVERIFY2(rig.boxes.texts()[0].contains(QStringLiteral("ringlet-no-such-port")),
                 qPrintable(rig.boxes.texts()[0]));
        QCOMPARE(rig.dlg.numberLabel()->text(), QStringLiteral("earlier"));
        QCOMPARE(rig.dlg.settings().previousNo, QStringLiteral("earlier"));
        QVERIFY(rig.logLines().isEmpty());
        QVERIFY(!QFile::exists(rig.logPath()));
    }

    void modemHangingUpMidCheckIsOneErrorAndTheNextCheckWorks()
    {
        ModemSimulator modem({QStringLiteral("--hangup-after-command")});
        QVERIFY(modem.start());
        Rig rig(modem.linkPath());
        rig.pressCheck();
        // Only what is known: no reason left over from an earlier read.
        QCOMPARE(rig.boxes.texts(),
                 QStringList{QStringLiteral("The connection on the serial port %1 was lost.").arg(modem.linkPath())});
        QCOMPARE(rig.dlg.settings().previousNo, QStringLiteral("NA"));
        QVERIFY(rig.logLines().isEmpty());

        // No busy loop left behind on the dead line.
        const qint64 cpuBefore = ProcessUsage::cpuTimeMs();
        QTest::qWait(500);
        QVERIFY2(ProcessUsage::cpuTimeMs() - cpuBefore < 100, "the process kept busy after the hang-up");

        QVERIFY(modem.restart(QStringList{QStringLiteral("--numbers"), QStringLiteral("0444")}));
        rig.pressCheck();
        QCOMPARE(rig.boxes.count(), 1);
        QCOMPARE(rig.dlg.numberLabel()->text(), QStringLiteral("0444"));
    }

    void floodingModemKeepsMemoryBounded()
    {
        ModemSimulator modem({QStringLiteral("--flood")});
        QVERIFY(modem.start());
        Rig rig(modem.devicePath());
        const qint64 residentBefore = ProcessUsage::residentKb();
        rig.pressCheck();
        rig.pressCheck();
        QCOMPARE(rig.boxes.count(), 0);
        QCOMPARE(rig.dlg.numberLabel()->text(), QStringLiteral("0123456789"));
        QVERIFY2(ProcessUsage::residentKb() - residentBefore < 8 * 1024,
                 qPrintable(QString::number(ProcessUsage::residentKb() - residentBefore)));
    }

    // An unattended display must go on showing numbers while it says, once, that the log fails.
    void logThatCannotBeWrittenIsToldOnceAndChecksGoOn()
    {
        ModemSimulator modem({QStringLiteral("--numbers"), QStringLiteral("0111,0222,0333")});
        QVERIFY(modem.start());
        Rig rig(modem.devicePath());
        QVERIFY(QDir(rig.workDir.path()).mkdir(QStringLiteral("ringlet.log")));
        rig.pressCheck();
        rig.pressCheck();
        QCOMPARE(rig.dlg.numberLabel()->text(), QStringLiteral("0222"));
        QCOMPARE(rig.dlg.settings().previousNo, QStringLiteral("NA"));
        QCOMPARE(rig.boxes.count(), 1);
        QVERIFY2(rig.boxes.texts()[0].contains(QStringLiteral("not logged")), qPrintable(rig.boxes.texts()[0]));
        QMessageBox* notice = rig.dlg.findChild<QMessageBox*>();
        QVERIFY(notice && notice->isVisible() && !notice->isModal());

        notice->button(QMessageBox::Ok)->click();
        rig.pressCheck();
        QCOMPARE(rig.dlg.numberLabel()->text(), QStringLiteral("0333"));
        QTRY_COMPARE(rig.boxes.count(), 2);
    }

    // As timer ticks or rings would, in the middle of the check's waits: the
    // first waits for the running check, the second adds nothing.
    void checksAskedForDuringAnotherRunOnceAfterIt()
    {
        ModemSimulator modem({QStringLiteral("--numbers"), QStringLiteral("0111,0222,0333")});
        QVERIFY(modem.start());
        Rig rig(modem.devicePath());
        rig.takeRealSeconds();
        QTimer::singleShot(1200, &rig.dlg, [&] { rig.dlg.runAutomaticCheck(CheckTrigger::Ring); });
        QTimer::singleShot(1500, &rig.dlg, [&] { rig.dlg.runAutomaticCheck(CheckTrigger::Timer); });
        rig.runCheck(CheckTrigger::Button);
        QCOMPARE(rig.dlg.numberLabel()->text(), QStringLiteral("0111"));

        QTRY_COMPARE_WITH_TIMEOUT(rig.dlg.numberLabel()->text(), QStringLiteral("0222"), 5000);
        QTest::qWait(2500);
        QCOMPARE(modem.transcript(), QByteArray("AT\\L1\r\nAT\\L1\r\n"));
        QCOMPARE(rig.logLines().size(), 2);
    }

    // Nobody is there to answer an automatic check's error: its box must not
    // hold up the timer, and while it is open later failures add no other.
    void timedCheckThatFailsLeavesItsBoxOpenAndTheNextOnesGoOn()
    {
        ModemSimulator modem({QStringLiteral("--numbers"), QStringLiteral("0444")});
        Rig rig(modem.linkPath()); // the modem unplugged
        rig.dlg.settings().autoMethod = AutoMethod::Automate;
        rig.dlg.ApplyAutomation();
        QTimerEvent tick(rig.dlg.automation().timerId());
        QApplication::sendEvent(&rig.dlg.automation(), &tick);
        rig.waitForCheck();
        QCOMPARE(rig.boxes.count(), 1);
        QCOMPARE(rig.boxes.blockingTexts(), QStringList());
        QVERIFY(rig.boxes.texts()[0].contains(QStringLiteral("does not exist")));

        QVERIFY(modem.start()); // plugged back, the box still open
        QApplication::sendEvent(&rig.dlg.automation(), &tick);
        rig.waitForCheck();
        QCOMPARE(rig.dlg.numberLabel()->text(), QStringLiteral("0444"));
        QCOMPARE(rig.logLines().size(), 1);
        modem.stop();
        QApplication::sendEvent(&rig.dlg.automation(), &tick);
        rig.waitForCheck();
        QTest::qWait(100);
        QCOMPARE(rig.boxes.count(), 1);
        QVERIFY(rig.dlg.findChild<QMessageBox*>()->isVisible());
    }

    void closeRequestDuringACheckWaitsForItsResult_data()
    {
        QTest::addColumn<int>("route");
        QTest::newRow("window closed") << 0;
        QTest::newRow("Escape") << 1;
        QTest::newRow("active window closed (Alt+F4)") << 2;
    }

    // During the check's waits the status window is the active, modal one: keys
    // and the window manager's close for the active window reach it, not the main window.
    void closeRequestDuringACheckWaitsForItsResult()
    {
        QFETCH(int, route);
        ModemSimulator modem({QStringLiteral("--numbers"), QStringLiteral("0333")});
        QVERIFY(modem.start());
        Rig rig(modem.devicePath());
        rig.takeRealSeconds();
        QTimer::singleShot(500, &rig.dlg, [&] {
            QWidget* status = QApplication::activeModalWidget();
            if (route == 0)
                rig.dlg.close();
            else if (route == 1 && status)
                QTest::keyClick(status, Qt::Key_Escape);
            else if (route == 2 && status)
                status->windowHandle()->close();
        });
        rig.pressCheck();
        QTRY_VERIFY(!rig.dlg.isVisible());
        const auto stored = rig.profile.reopen();
        QCOMPARE(stored->readString(QStringLiteral("ringlet"), QStringLiteral("previousno"), QString()),
                 QStringLiteral("0333"));
    }
};

QTEST_MAIN(TestCheckNumber)
#include "tst_checknumber.moc"
