// The window manager's close request for the main window during a check, on a
// real X server (Xvfb, started by this program for itself).
#include "MemoryRegistry.h"
#include "ModemSimulator.h"
#include "TempProfile.h"

#include "ui/MainDlg.h"

#include <QApplication>
#include <QDir>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>

namespace {

// Starts Xvfb on the first free display and points DISPLAY at it; -1 on failure.
pid_t startXvfb()
{
    int pipeFds[2];
    if (::pipe(pipeFds) != 0)
        return -1;
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::prctl(PR_SET_PDEATHSIG, SIGTERM); // no server left behind by a test that crashes
        ::close(pipeFds[0]);
        const std::string fd = std::to_string(pipeFds[1]);
        ::execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-nolisten", "tcp", "-screen", "0", "800x600x24",
                 static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(pipeFds[1]);
    // Xvfb writes the number, then a line end, once it accepts clients.
    std::string display;
    char c = 0;
    while (pid > 0 && ::read(pipeFds[0], &c, 1) == 1 && c != '\n')
        display += c;
    ::close(pipeFds[0]);
    if (display.empty() || c != '\n')
        return -1;
    ::setenv("DISPLAY", (":" + display).c_str(), 1);
    return pid;
}

xcb_atom_t atom(xcb_connection_t* connection, const char* name)
{
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr);
    const xcb_atom_t result = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(reply);
    return result;
}

// What a window manager sends when the title bar's close button is pressed.
void sendDeleteWindow(WId window)
{
    auto* connection = qGuiApp->nativeInterface<QNativeInterface::QX11Application>()->connection();
    xcb_client_message_event_t event = {};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = static_cast<xcb_window_t>(window);
    event.type = atom(connection, "WM_PROTOCOLS");
    event.data.data32[0] = atom(connection, "WM_DELETE_WINDOW");
    event.data.data32[1] = XCB_CURRENT_TIME;
    xcb_send_event(connection, 0, event.window, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&event));
    xcb_flush(connection);
}

} // namespace

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
        QTimer::singleShot(500, &dlg, [&dlg] { sendDeleteWindow(dlg.winId()); });
        QTest::mouseClick(dlg.checkButton(), Qt::LeftButton);
        QTRY_VERIFY(!dlg.isVisible());
        QCOMPARE(profile.reopen()->readString(QStringLiteral("ringlet"), QStringLiteral("previousno"), QString()),
                 QStringLiteral("0444"));
        QDir::setCurrent(QDir::tempPath());
    }
};

int main(int argc, char** argv)
{
    const pid_t xvfb = startXvfb();
    if (xvfb < 0) {
        std::fprintf(stderr, "Xvfb did not start; it is needed for this test\n");
        return 1;
    }
    ::setenv("QT_QPA_PLATFORM", "xcb", 1);
    int result = 1;
    {
        QApplication app(argc, argv);
        TestX11Close test;
        result = QTest::qExec(&test, argc, argv);
    }
    ::kill(xvfb, SIGTERM);
    ::waitpid(xvfb, nullptr, 0);
    return result;
}

#include "tst_x11close.moc"
