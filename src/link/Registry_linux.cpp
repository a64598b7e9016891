// The system tables off Windows: the serial device map is made from the ports the
// system lists now; there is no table of per-port line settings, so its keys never open.

#include "Registry_linux.h"

#include <QDir>
#include <QSerialPortInfo>

#include <utility>
#include <vector>

namespace {
// name, data (stored as strings are: with their terminating zero)
using Entries = std::vector<std::pair<std::string, std::string>>;

Entries serialDeviceEntries(const QString& stableLinksDir)
{
    Entries entries;
    const QList<QSerialPortInfo> ports = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo& port : ports)
        entries.emplace_back(port.systemLocation().toStdString(), port.portName().toStdString() + '\0');
    // Links named after the device's maker and serial number survive re-plugging, unlike ttyUSBn.
    const QDir links(stableLinksDir);
    const QFileInfoList infos = links.entryInfoList(QDir::System | QDir::Files | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo& info : infos)
        entries.emplace_back(info.filePath().toStdString(), info.filePath().toStdString() + '\0');
    return entries;
}

class SnapshotKey : public RegistryKey
{
public:
    explicit SnapshotKey(Entries entries) : m_entries(std::move(entries)) {}

    long enumValue(unsigned long index, unsigned long nameCapacity, unsigned long dataCapacity, std::string& name,
                   unsigned long& type, std::string& data) override
    {
        name.clear();
        data.clear();
        if (!m_open)
            return Registry::InvalidHandle;
        if (index >= m_entries.size())
            return Registry::NoMoreItems;
        type = Registry::TypeSz;
        const auto& [entryName, entryData] = m_entries[index];
        if (!Registry::fitsEnumCapacities(entryName, entryData, nameCapacity, dataCapacity))
            return Registry::MoreData;
        name = entryName;
        data = entryData;
        return Registry::Success;
    }

    long queryValue(const std::string& name, unsigned long capacity, unsigned long& type, std::string& data) override
    {
        data.clear();
        if (!m_open)
            return Registry::InvalidHandle;
        for (const auto& [entryName, entryData] : m_entries) {
            if (entryName != name)
                continue;
            type = Registry::TypeSz;
            if (entryData.size() > capacity)
                return Registry::MoreData;
            data = entryData;
            return Registry::Success;
        }
        return Registry::FileNotFound;
    }

    long close() override
    {
        if (!m_open)
            return Registry::InvalidHandle;
        m_open = false;
        return Registry::Success;
    }

private:
    Entries m_entries;
    bool m_open = true;
};

class LinuxRegistryReader : public RegistryReader
{
public:
    explicit LinuxRegistryReader(const QString& stableLinksDir) : m_stableLinksDir(stableLinksDir) {}

    std::unique_ptr<RegistryKey> openLocalMachineKey(const std::string& path) const override
    {
        if (path == Registry::SerialDeviceMap)
            return std::make_unique<SnapshotKey>(serialDeviceEntries(m_stableLinksDir));
        return nullptr;
    }

private:
    QString m_stableLinksDir;
};
} // namespace

std::unique_ptr<RegistryReader> createLinuxRegistryReader(const QString& stableLinksDir)
{
    return std::make_unique<LinuxRegistryReader>(stableLinksDir);
}

std::unique_ptr<RegistryReader> createSystemRegistryReader()
{
    return createLinuxRegistryReader(QStringLiteral("/dev/serial/by-id"));
}
