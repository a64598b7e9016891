// A call told to the desktop: the whole path from a ring to the notification,
// on an X server with a window manager and a private session bus with a
// notification server of the test's own (see tests/ui/CMakeLists.txt).
#include "MainWindowRig.h"
#include "ModemSimulator.h"
#include "NotificationServer.h"
#include "X11Desktop.h"

#include "check/RingCallRule.h"
#include "ui/MainDlg.h"

#include <QProcess>
#include <QTest>

class TestCallNotice : public QObject
{
    Q_OBJECT

private slots:
    void ringStartedCheckNotifiesWhileAnotherProgramIsInFront()
    {
        NotificationServer server;
        QVERIFY(server.registered);
        ModemSimulator modem({QStringLiteral("--numbers"), QStringLiteral("5550199")});
        QVERIFY(modem.start());
        MainWindowRig rig(modem.devicePath());
        rig.dlg.settings().anotherPort = modem.devicePath();
        rig.dlg.settings().autoMethod = 9;
        rig.dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&rig.dlg));

        QProcess other;
        other.start(QStringLiteral("xlogo"), {});
        const X11Desktop::Window front = X11Desktop::waitForClients("xlogo", 1, 10000).value(0);
        QVERIFY(front);
        X11Desktop::activate(front);
        QTRY_COMPARE(X11Desktop::activeWindow(), front);

        modem.ring();
        QTest::qWait(RingCallRule::Timings().sameRingMs + 100);
        modem.ring();
        QTRY_COMPARE_WITH_TIMEOUT(server.adaptor->requests.size(), 1, 10000);
        QCOMPARE(server.adaptor->requests.at(0).body, QStringLiteral("5550199"));
        other.kill();
        other.waitForFinished();
    }
};

QTEST_MAIN(TestCallNotice)
#include "tst_callnotice.moc"
