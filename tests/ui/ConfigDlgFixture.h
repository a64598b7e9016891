#pragma once

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

// A serial device map held in memory, honouring the capacities it is asked
// with, as the registry does. The Windows registry cannot exist here.
class DeviceMapRegistry : public RegistryReader
{
public:
    struct Value {
        std::string name;
        unsigned long type;
        std::string data;
    };

    std::vector<Value> values;
    bool opens = true;
    long failingIndex = -1; // the index whose read fails with AccessDenied

    void addPort(const std::string& name, const std::string& port)
    {
        values.push_back({name, Registry::TypeSz, port + '\0'});
    }

    std::unique_ptr<RegistryKey> openLocalMachineKey(const std::string& path) const override
    {
        if (path != Registry::SerialDeviceMap || !opens)
            return nullptr;
        return std::make_unique<Key>(*this);
    }

private:
    class Key : public RegistryKey
    {
    public:
        explicit Key(const DeviceMapRegistry& map) : m_map(map) {}

        long enumValue(unsigned long index, unsigned long nameCapacity, unsigned long dataCapacity, std::string& name,
                       unsigned long& type, std::string& data) override
        {
            if (long(index) == m_map.failingIndex)
                return Registry::AccessDenied;
            if (index >= m_map.values.size())
                return Registry::NoMoreItems;
            const Value& value = m_map.values.at(index);
            if (value.name.size() + 1 > nameCapacity || value.data.size() > dataCapacity)
                return Registry::MoreData;
            name = value.name;
            type = value.type;
            data = value.data;
            return Registry::Success;
        }

        long queryValue(const std::string&, unsigned long, unsigned long&, std::string&) override
        {
            return Registry::FileNotFound;
        }

        long close() override { return Registry::Success; }

    private:
        const DeviceMapRegistry& m_map;
    };
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

inline QStringList entriesOf(const QComboBox* list)
{
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        texts << list->itemText(i);
    return texts;
}
