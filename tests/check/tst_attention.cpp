#include "MainWindowRig.h"
#include "ModemSimulator.h"

#include "ui/MainDlg.h"

#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QTest>

// The attention request after automatic checks, on a real X server with a
// window manager (tests/support/run-under-x11), where it is the window's
// _NET_WM_STATE_DEMANDS_ATTENTION state.
class TestAttention : public QObject
{
    Q_OBJECT

private:
    static QByteArray windowState(const QWidget& window)
    {
        QProcess xprop;
        xprop.start(QStringLiteral("xprop"),
                    {QStringLiteral("-id"), QString::number(window.winId()), QStringLiteral("_NET_WM_STATE")});
        xprop.waitForFinished();
        return xprop.readAllStandardOutput();
    }

private slots:
    void automaticCheckWithANewNumberAsksForAttention()
    {
        ModemSimulator modem({QStringLiteral("--numbers"), QStringLiteral("0555,0555,0666")});
        QVERIFY(modem.start());
        MainWindowRig rig(modem.devicePath());
        CRingletDlg& dlg = rig.dlg;
        dlg.checkCycle().setStepMs(200);
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        dlg.showMinimized();
        QTRY_VERIFY(windowState(dlg).contains("_NET_WM_STATE_HIDDEN"));
        QTRY_VERIFY(!dlg.isActiveWindow());
        rig.boxes.clear(); // only what the checks show counts

        rig.pressCheck();                     // 0555 by hand
        rig.runCheck(CheckTrigger::Timer);    // 0555 again
        QTest::qWait(500);
        QCOMPARE(dlg.numberLabel()->text(), QStringLiteral("0555"));
        QVERIFY2(!windowState(dlg).contains("DEMANDS_ATTENTION"), windowState(dlg).constData());

        rig.runCheck(CheckTrigger::Timer); // 0666
        QCOMPARE(dlg.numberLabel()->text(), QStringLiteral("0666"));
        QTRY_VERIFY2(windowState(dlg).contains("_NET_WM_STATE_DEMANDS_ATTENTION"), windowState(dlg).constData());
        QCOMPARE(rig.boxes.count(), 0);
    }
};

QTEST_MAIN(TestAttention)
#include "tst_attention.moc"
