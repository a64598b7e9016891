// The window manager's close request for the main window during a check, on a
// real X server (tests/support/run-under-x11).
#include "MemoryRegistry.h"
#include "ModemSimulator.h"
#include "TempProfile.h"
#include "X11Desktop.h"

#include "ui/MainDlg.h"

#include <QApplication>
#include <QDir>
#include <QPushButton>
#include <QTemporaryDir>
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
        QTemporaryDir workDir;
        QDir::setCurrent(workDir.path());
        TempProfile profile;
        MemoryRegistry registry;
        CRingletDlg dlg(profile.store(), registry);
        dlg.settings().port = modem.devicePath();
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));

        // Half a second in, the status window runs and blocks the main window.
        QTimer::singleShot(500, &dlg, [&dlg] { X11Desktop::requestClose(dlg.winId()); });
        QTest::mouseClick(dlg.checkButton(), Qt::LeftButton);
        QTRY_VERIFY(!dlg.isVisible());
        QCOMPARE(profile.reopen()->readString(QStringLiteral("ringlet"), QStringLiteral("previousno"), QString()),
                 QStringLiteral("0444"));
        QDir::setCurrent(QDir::tempPath());
    }
};

QTEST_MAIN(TestX11Close)

#include "tst_x11close.moc"
