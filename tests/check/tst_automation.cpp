#include "MainWindowRig.h"

#include "strings.h"
#include "ui/MainDlg.h"

#include <QPushButton>
#include <QTest>

// What the automation bits do to the Check button and the check timer.
class TestAutomation : public QObject
{
    Q_OBJECT

private slots:
    void appliesTheAutomationBits_data()
    {
        QTest::addColumn<int>("autoMethod");
        QTest::addColumn<int>("minutes");
        QTest::addColumn<bool>("buttonShown");
        QTest::addColumn<int>("timerMs"); // 0: no timer
        QTest::addColumn<QString>("message");

        QTest::newRow("automate every 5 minutes") << 8 << 5 << true << 5 * 60000 << QString();
        QTest::newRow("automate, manual check disabled") << 12 << 5 << false << 5 * 60000 << QString();
        QTest::newRow("manual check disabled, no automation") << 4 << 5 << false << 0 << QString();
        QTest::newRow("on ring, no port chosen") << 9 << 5 << true << 0 << QString::fromLatin1(Texts::RingNoPort);
        QTest::newRow("on another application, none named")
            << 10 << 5 << true << 0 << QString::fromLatin1(Texts::NoAppNamed);
        QTest::newRow("invalid mode") << 11 << 5 << true << 0 << QStringLiteral("Automation error 11");
        QTest::newRow("invalid mode, unknown bits kept in the report")
            << (0x100 | 15) << 5 << false << 0 << QStringLiteral("Automation error 271");
        QTest::newRow("mode bits without Automate") << 3 << 5 << true << 0 << QString();
        QTest::newRow("zero minutes holds to one") << 8 << 0 << true << 60000 << QString();
        QTest::newRow("negative minutes hold to one") << 8 << -7 << true << 60000 << QString();
        QTest::newRow("minutes past the timer's range") << 8 << 100000 << true << 35791 * 60000 << QString();
    }

    void appliesTheAutomationBits()
    {
        QFETCH(int, autoMethod);
        QFETCH(int, minutes);
        QFETCH(bool, buttonShown);
        QFETCH(int, timerMs);
        QFETCH(QString, message);

        MainWindowRig rig(QStringLiteral("ttyS0"));
        CRingletDlg& dlg = rig.dlg;
        dlg.show();
        dlg.settings().autoMethod = autoMethod;
        dlg.settings().minutes = minutes;

        MessageBoxWatcher& boxes = rig.boxes;
        boxes.clear(); // only what applying the automation shows counts
        dlg.ApplyAutomation();
        QCOMPARE(dlg.checkButton()->isVisible(), buttonShown);
        QCOMPARE(dlg.checkButton()->isEnabled(), buttonShown);
        QCOMPARE(dlg.isCheckTimerActive(), timerMs != 0);
        if (timerMs)
            QCOMPARE(dlg.checkTimerInterval(), timerMs);
        QCOMPARE(boxes.texts(), message.isEmpty() ? QStringList() : QStringList{message});
        if (message.startsWith(QLatin1String("Automation error")))
            QCOMPARE(boxes.captions(), QStringList{QString()});
    }

    // The offscreen platform, like a Wayland session, does not say which
    // application is active.
    void anotherApplicationOnADesktopThatDoesNotTellIsReportedAndNotArmed()
    {
        MainWindowRig rig(QStringLiteral("ttyS0"));
        CRingletDlg& dlg = rig.dlg;
        dlg.show();
        dlg.settings().autoMethod = 10;
        dlg.settings().anotherApp = QStringLiteral("xlogo");

        MessageBoxWatcher& boxes = rig.boxes;
        boxes.clear(); // only what applying the automation shows counts
        dlg.ApplyAutomation();
        QCOMPARE(boxes.texts(),
                 QStringList{QStringLiteral("This desktop does not tell programs which application is "
                                            "active: \"On Another app activated\" cannot start checks here.")});
        QVERIFY(!dlg.appTrigger().isArmed());
    }

    void applyingAgainStopsWhatWasArmed()
    {
        MainWindowRig rig(QStringLiteral("ttyS0"));
        CRingletDlg& dlg = rig.dlg;
        dlg.show();
        dlg.settings().autoMethod = 12;
        dlg.ApplyAutomation();
        QVERIFY(dlg.isCheckTimerActive());

        dlg.settings().autoMethod = 0;
        dlg.ApplyAutomation();
        QVERIFY(!dlg.isCheckTimerActive());
        QVERIFY(dlg.checkButton()->isVisible());
        QVERIFY(dlg.checkButton()->isEnabled());
    }
};

QTEST_MAIN(TestAutomation)
#include "tst_automation.moc"
