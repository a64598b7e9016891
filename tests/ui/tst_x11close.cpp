// The window manager's close request for the main window during a check, on a
// real X server (tests/support/run-under-x11).
#include "MainWindowRig.h"
#include "ModemSimulator.h"
#include "X11Desktop.h"

#include "ui/MainDlg.h"

#include <QApplication>
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
};

QTEST_MAIN(TestX11Close)

#include "tst_x11close.moc"
