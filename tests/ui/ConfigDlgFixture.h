#pragma once

#include "MemoryRegistry.h"
#include "MessageBoxWatcher.h"
#include "TempProfile.h"
#include "link/Registry.h"
#include "ui/ConfigDlg.h"
#include "ui/MainDlg.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <functional>
#include <vector>

inline void addPort(MemoryRegistry& registry, const std::string& valueName, const std::string& port)
{
    registry.setString(Registry::SerialDeviceMap, valueName, port);
}

// A main window over a temporary profile and a device map that opens, empty.
struct ConfigSetup
{
    ConfigSetup() { registry.addKey(Registry::SerialDeviceMap); }

    TempProfile profile;
    MemoryRegistry registry;
    CRingletDlg main{profile.store(), registry};
    MessageBoxWatcher boxes;
};

// The configuration dialog as the main window opens it: over a copy of its
// record, handing the record back to it on OK.
class MainConfigDlg : public CConfigDlg
{
public:
    explicit MainConfigDlg(CRingletDlg* main)
        : CConfigDlg(main->settings(), main->registry(), main->comm().GetCommPort(),
                     main->displayFont().description(), main)
    {
        main->wireConfiguration(*this);
    }
};

// Runs `act` on each modal dialog of type Dialog as it comes up, one action per
// dialog, in order.
template <typename Dialog> class ModalDriver : public QObject
{
public:
    explicit ModalDriver(std::vector<std::function<void(Dialog*)>> actions) : m_actions(std::move(actions))
    {
        m_timer.setInterval(5);
        connect(&m_timer, &QTimer::timeout, this, &ModalDriver::poll);
        m_timer.start();
    }

    int dialogsSeen() const { return m_seen; }

private:
    void poll()
    {
        auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
        // Dialogs of a loop may reuse one address; a mark tells them apart.
        if (!dialog || dialog->property("ringletDriven").toBool() || m_seen >= int(m_actions.size()))
            return;
        dialog->setProperty("ringletDriven", true);
        m_actions.at(m_seen++)(dialog);
    }

    QTimer m_timer;
    std::vector<std::function<void(Dialog*)>> m_actions;
    int m_seen = 0;
};

template <typename Widget> Widget* control(const QWidget* dialog, const char* name)
{
    return dialog->findChild<Widget*>(QLatin1String(name));
}

// Runs the dialog modally, does `before` in it, then presses OK; whether the
// run ended accepted.
inline bool pressOk(CConfigDlg& dialog, const std::function<void()>& before = {})
{
    QTimer::singleShot(0, &dialog, [&dialog, before] {
        if (before)
            before();
        control<QPushButton>(&dialog, "IDOK")->click();
        if (dialog.isVisible())
            dialog.reject();
    });
    return dialog.exec() == QDialog::Accepted;
}

inline QStringList entriesOf(const QComboBox* list)
{
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        texts << list->itemText(i);
    return texts;
}
