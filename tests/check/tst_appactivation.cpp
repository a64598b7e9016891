#include "MainWindowRig.h"
#include "ModemSimulator.h"
#include "X11Desktop.h"

#include "check/AppActivationTrigger.h"
#include "ui/MainDlg.h"

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QProcess>
#include <QScopeGuard>
#include <QScreen>
#include <QSet>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

// Checks started by activating another application, on a real X server with a
// window manager (tests/support/run-under-x11), against other programs' real
// windows: two xlogo windows (the named application) and an xcalc (which, unlike xclock, takes the focus).
class TestAppActivation : public QObject
{
    Q_OBJECT

private:
    struct Window : MainWindowRig
    {
        explicit Window(const QString& device) : MainWindowRig(device)
        {
            dlg.settings().anotherApp = QStringLiteral(" XLogo.EXE ");
            dlg.settings().autoMethod = 10;
            dlg.checkCycle().setStepMs(200); // what is tested is when a check starts, not its seconds
            dlg.show();
        }
    };

    int checksSoFar() const { return int(m_modem.transcript().count("AT\\L1\r\n")); }

    // Activates `window` and gives a check it would start time to begin.
    static bool activate(X11Desktop::Window window)
    {
        X11Desktop::activate(window);
        const bool active = QTest::qWaitFor([window] { return X11Desktop::activeWindow() == window; }, 5000);
        QTest::qWait(300);
        return active;
    }

    // Activates `window` and waits for the check it starts to show its number.
    static bool activateAndWaitForCheck(CRingletDlg& dlg, X11Desktop::Window window)
    {
        dlg.numberLabel()->clear();
        X11Desktop::activate(window);
        return QTest::qWaitFor([&dlg] { return dlg.numberLabel()->text() == QStringLiteral("0123456789"); }, 10000);
    }

    // Which windows the desktop made active while it lived, looked at every 50 ms.
    class FocusWatch
    {
    public:
        FocusWatch()
        {
            QObject::connect(&m_timer, &QTimer::timeout, [this] { m_seen.insert(X11Desktop::activeWindow()); });
            m_timer.start(50);
        }
        QSet<X11Desktop::Window> activeWindows() const { return m_seen; }

    private:
        QTimer m_timer;
        QSet<X11Desktop::Window> m_seen;
    };

    ModemSimulator m_modem;
    QProcess m_xlogo1, m_xlogo2, m_xcalc;
    QList<X11Desktop::Window> m_xlogos;
    X11Desktop::Window m_clock = 0;

private slots:
    void initTestCase()
    {
        QVERIFY2(X11Desktop::waitForWindowManager(10000), "needs an X server with an EWMH window manager");
        QVERIFY(m_modem.start());
        m_xlogo1.start(QStringLiteral("xlogo"), {});
        m_xlogo2.start(QStringLiteral("xlogo"), {});
        m_xcalc.start(QStringLiteral("xcalc"), {});
        m_xlogos = X11Desktop::waitForClients("xlogo", 2, 10000);
        QCOMPARE(m_xlogos.size(), 2);
        m_clock = X11Desktop::waitForClients("xcalc", 1, 10000).value(0);
        QVERIFY(m_clock);
    }

    void cleanupTestCase()
    {
        for (QProcess* program : {&m_xlogo1, &m_xlogo2, &m_xcalc}) {
            program->kill();
            program->waitForFinished();
        }
    }

    // The check's status window takes no focus: the named program keeps it
    // through the check and after, so coming back to it from Ringlet's main
    // window is an entry like any other.
    void activatingTheNamedProgramStartsACheckEachTimeItIsEntered()
    {
        Window window(m_modem.devicePath());
        QVERIFY(activate(window.dlg.winId()));
        QVERIFY(window.dlg.appTrigger().isArmed());
        const int before = checksSoFar();

        FocusWatch watch;
        QVERIFY(activateAndWaitForCheck(window.dlg, m_xlogos[0]));
        QTest::qWait(300);
        QCOMPARE(watch.activeWindows(), QSet<X11Desktop::Window>{m_xlogos[0]});
        QVERIFY(activate(window.dlg.winId()));
        QVERIFY(activateAndWaitForCheck(window.dlg, m_xlogos[0]));
        QCOMPARE(checksSoFar(), before + 2);
    }

    // A timed check while the user types into another program: the program
    // keeps the keyboard, and the status window is drawn, opaque, over Ringlet.
    void timedCheckLeavesTheFocusWhereItIsAndIsReadable()
    {
        Window window(m_modem.devicePath());
        window.dlg.checkCycle().setStepMs(CheckCycle::StepMs); // looked at 1.5 s in
        QVERIFY(activate(m_clock));
        FocusWatch watch;
        QImage status;
        QTimer::singleShot(1500, &window.dlg, [&status] {
            if (QWidget* shown = QApplication::activeModalWidget())
                status = shown->screen()->grabWindow(0, shown->x(), shown->y(), shown->width(), shown->height()).toImage();
        });
        window.runCheck(CheckTrigger::Timer);
        QTest::qWait(300);
        QCOMPARE(watch.activeWindows(), QSet<X11Desktop::Window>{m_clock});

        // The text on an opaque face, framed so that it stands apart from the
        // number around it: the outermost ring of pixels is the frame, not the face.
        QVERIFY(!status.isNull());
        const QRgb face = window.dlg.palette().color(QPalette::Window).rgb();
        int textPixels = 0;
        int ringPixels = 0;
        int framePixels = 0;
        for (int y = 0; y < status.height(); ++y)
            for (int x = 0; x < status.width(); ++x) {
                const QColor pixel = status.pixelColor(x, y);
                textPixels += pixel.lightness() < 100;
                if (x == 0 || y == 0 || x == status.width() - 1 || y == status.height() - 1) {
                    ++ringPixels;
                    framePixels += pixel.rgb() != face;
                }
            }
        QVERIFY2(textPixels > 0 && framePixels > ringPixels * 9 / 10,
                 qPrintable(QStringLiteral("%1 text pixels, %2 of %3 frame pixels").arg(textPixels).arg(framePixels).arg(ringPixels)));
    }

    void otherProgramsAndMovesWithinTheNamedOneStartNothing()
    {
        Window window(m_modem.devicePath());
        QVERIFY(activate(window.dlg.winId()));
        QVERIFY(activate(m_clock));
        QVERIFY(activateAndWaitForCheck(window.dlg, m_xlogos[0]));
        const int afterEntering = checksSoFar();

        QVERIFY(activate(m_xlogos[1]));
        QVERIFY(activate(m_xlogos[0]));
        QVERIFY(activate(m_clock));
        QCOMPARE(checksSoFar(), afterEntering);
    }

    // WM_CLASS is Latin-1 by the ICCCM; Qt and GTK programs write UTF-8 there.
    // Either way, the name matches in any case.
    void namesBeyondAsciiMatchInEitherEncoding()
    {
        const X11Desktop::Window latin1 = X11Desktop::createWindow("caf\xe9\0Caf\xe9\0");
        const X11Desktop::Window utf8 = X11Desktop::createWindow("caf\xc3\xa9\0Caf\xc3\xa9\0");
        const X11Desktop::Window other = X11Desktop::createWindow("other\0Other\0");
        const auto destroy = qScopeGuard([&] {
            for (X11Desktop::Window window : {latin1, utf8, other})
                X11Desktop::destroyWindow(window);
        });
        QVERIFY(!X11Desktop::waitForClients("other", 1, 10000).isEmpty());
        QCOMPARE(X11Desktop::waitForClients("caf\xe9", 1, 10000).size(), 1);
        QCOMPARE(X11Desktop::waitForClients("caf\xc3\xa9", 1, 10000).size(), 1);

        AppActivationTrigger trigger;
        QSignalSpy checks(&trigger, &AppActivationTrigger::checkWanted);
        QCOMPARE(trigger.arm(QStringLiteral("CAFÉ")), QString());
        QVERIFY(activate(other));
        QVERIFY(activate(latin1));
        QTRY_COMPARE(checks.count(), 1);
        QVERIFY(activate(other));
        QVERIFY(activate(utf8));
        QTRY_COMPARE(checks.count(), 2);
    }

    void changingTheModeDisarms()
    {
        Window window(m_modem.devicePath());
        QVERIFY(activate(window.dlg.winId()));
        window.dlg.settings().autoMethod = 8;
        window.dlg.ApplyAutomation();
        QVERIFY(!window.dlg.appTrigger().isArmed());
        const int before = checksSoFar();

        QVERIFY(activate(window.dlg.winId()));
        QVERIFY(activate(m_xlogos[0]));
        QCOMPARE(checksSoFar(), before);
    }
};

QTEST_MAIN(TestAppActivation)
#include "tst_appactivation.moc"
