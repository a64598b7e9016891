#pragma once

#include <QDialog>

class CRingletDlg;

// The configuration dialog: edits a copy of the main window's settings and, on
// OK, writes it back and applies port and automation settings at once.
class CConfigDlg : public QDialog
{
    Q_OBJECT

public:
    explicit CConfigDlg(CRingletDlg* mainWindow);
    ~CConfigDlg() override;

    // Fills the port list from the system's serial device map; false when the
    // map cannot be read.
    bool EnumerateSerialPorts();

private:
    CRingletDlg* m_main;
};

// The first run: shows the configuration dialog for as long as no port is
// chosen. Returns false when the user cancels it, meaning the program should
// end without running the main window.
bool runFirstRunConfiguration(CRingletDlg* mainWindow);
