#include "RingletApp.h"

#include "ProfileStore.h"
#include "TerminationRequests.h"
#include "link/Registry.h"
#include "ui/AppIcon.h"
#include "ui/MainDlg.h"

CRingletApp::CRingletApp(int& argc, char** argv) : QApplication(argc, argv)
{
    // The per-user store lives under this maker's key; the application name
    // stays Qt's default, the executable's base name.
    setOrganizationName(QStringLiteral("Brackwen"));
    // Names the installed desktop entry, so that a desktop (Wayland's app id
    // above all) shows the window under the menu entry's name and icon.
    setDesktopFileName(QStringLiteral(RINGLET_APP_ID));
    setWindowIcon(appIcon());
    // The program is a sequence of modal runs; a dialog closing between them
    // (the first-run configuration) must not end the process.
    setQuitOnLastWindowClosed(false);
}

int CRingletApp::InitInstance()
{
    ProfileStore store;
    const std::unique_ptr<RegistryReader> registry = createSystemRegistryReader();
    CRingletDlg mainWindow(store, *registry);
    mainWindow.LoadSettings();
    closeOnTerminationRequest(&mainWindow);
    mainWindow.exec();
    return 0;
}
