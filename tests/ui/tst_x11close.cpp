// The window manager's close request for the main window during a check, on a
// real X server (tests/support/run-under-x11).
#include "MainWindowRig.h"
#include "ModemSimulator.h"
#include "X11Desktop.h"

#include "ui/MainDlg.h"

#include <QApplication>
#include <QDialog>
#include <QPushButton>
#include <QTest>
#include <QTimer>

class TestX11Close : public QObject
{
    Q_OBJECT

private slots:
    void titleBarCloseDuringACheckEndsTheProgramAfterIt()
    {
        ModemSimulator modem({QStringLiteral("--numbers"), QStringLiteral("0444")});
        QVERIFY(modem.start());
        MainWindowRig rig(modem.devicePath());
        CRingletDlg& dlg = rig.dlg;
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));

        // Half a second in, the status window runs and blocks the main window.
        QTimer::singleShot(500, &dlg, [&dlg] { X11Desktop::requestClose(dlg.winId()); });
        QTest::mouseClick(dlg.checkButton(), Qt::LeftButton);
        QTRY_VERIFY(!dlg.isVisible());
        QCOMPARE(rig.profile.reopen()->readString(QStringLiteral("ringlet"), QStringLiteral("previousno"), QString()),
                 QStringLiteral("0444"));
    }

    // The configuration blocks the main window; the request ends it as Cancel
    // would, then closes the window and stores the run.
    void titleBarCloseWhileTheConfigurationIsOpenEndsItThenCloses()
    {
        MainWindowRig rig(QStringLiteral("ttyS0"));
        CRingletDlg& dlg = rig.dlg;
        dlg.settings().minutes = 7; // a change of this run
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));

        QTimer::singleShot(500, &dlg, [&dlg] { X11Desktop::requestClose(dlg.winId()); });
        // Should the request be lost, the test ends the dialog itself, and fails below.
        QTimer::singleShot(5000, &dlg, [] {
            if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
                dialog->reject();
        });
        dlg.showConfiguration();
        QTRY_VERIFY(!dlg.isVisible());
        QCOMPARE(QApplication::activeModalWidget(), nullptr);
        QCOMPARE(rig.profile.reopen()->readInt(QStringLiteral("ringlet"), QStringLiteral("minuits"), 0), 7);
    }
};

QTEST_MAIN(TestX11Close)

#include "tst_x11close.moc"
