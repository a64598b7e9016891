#include "RingletApp.h"

#include "AppId.h"
#include "base/ProfileStore.h"
#include "SingleInstance.h"
#include "StoredSettingsCheck.h"
#include "TerminationRequests.h"
#include "link/Registry.h"
#include "strings.h"
#include "ui/AppIcon.h"
#include "ui/MainDlg.h"

#include <QMessageBox>

namespace {

// The lock sits beside the settings (Brackwen/ringlet.lock).
QString lockFileFor(const ProfileStore& store)
{
    return store.folder() + QLatin1Char('/') + QCoreApplication::applicationName() + QStringLiteral(".lock");
}

} // namespace

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
    SingleInstance instance(lockFileFor(store));
    switch (instance.acquire()) {
    case SingleInstance::Outcome::Alone:
        break;
    case SingleInstance::Outcome::HandedOver:
        return 0;
    case SingleInstance::Outcome::Unreachable:
        QMessageBox::warning(nullptr, applicationName(),
                             QString::fromLatin1(Texts::RunningCopyUnreachable).arg(instance.unreachableReason()));
        return 1;
    }
    const std::unique_ptr<RegistryReader> registry = createSystemRegistryReader();
    CRingletDlg mainWindow(store, *registry);
    connect(&instance, &SingleInstance::activationRequested, &mainWindow, &CRingletDlg::bringToFront);
    connect(&mainWindow, &CRingletDlg::settingsWritten, &mainWindow,
            [&mainWindow, &store] { confirmSettingsStored(&mainWindow, store); });
    mainWindow.LoadSettings();
    closeOnTerminationRequest(&mainWindow);
    mainWindow.exec();
    return 0;
}
