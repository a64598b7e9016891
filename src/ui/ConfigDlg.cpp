#include "ConfigDlg.h"

#include "MainDlg.h"

// Placeholder until the dialog's controls land: no port can be chosen yet.
CConfigDlg::CConfigDlg(CRingletDlg* mainWindow) : QDialog(mainWindow), m_main(mainWindow) {}

CConfigDlg::~CConfigDlg() = default;

bool CConfigDlg::EnumerateSerialPorts()
{
    return false;
}

bool runFirstRunConfiguration(CRingletDlg* mainWindow)
{
    while (mainWindow->settings().port == NoPortChosen) {
        CConfigDlg config(mainWindow);
        if (config.exec() != QDialog::Accepted)
            return false;
    }
    return true;
}
