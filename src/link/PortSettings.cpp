#include "PortSettings.h"

#include "MSComm.h"
#include "Registry.h"
#include "base/SettingsRecord.h"

#include <algorithm>
#include <limits>
#include <optional>
#include <string>

namespace {
// The port table's value buffer, terminator included: longer entries count as absent.
constexpr unsigned long PortEntryCapacity = 32;

bool isAsciiDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

std::unique_ptr<RegistryKey> openPortTable(const RegistryReader& registry)
{
    // Only a key that will not open leads to the second one, not a key without the entry.
    std::unique_ptr<RegistryKey> key = registry.openLocalMachineKey(Registry::PortsKey);
    return key ? std::move(key) : registry.openLocalMachineKey(Registry::PortsKeyNt);
}

// The table's line settings for `port`, if it has a usable entry.
std::optional<QString> portTableEntry(const RegistryReader& registry, const QString& port)
{
    const std::unique_ptr<RegistryKey> key = openPortTable(registry);
    if (!key)
        return std::nullopt;
    unsigned long type = Registry::TypeNone;
    std::string data;
    const long result = key->queryValue(port.toLocal8Bit().toStdString() + ':', PortEntryCapacity, type, data);
    const long closed = key->close();
    if (result != Registry::Success || type != Registry::TypeSz || closed != Registry::Success)
        return std::nullopt;

    std::string text = data.substr(0, data.find('\0'));
    const size_t last = text.find_last_not_of(" \t\r\n\v\f");
    text.erase(last == std::string::npos ? 0 : last + 1);
    return QString::fromLocal8Bit(text.data(), static_cast<qsizetype>(text.size()));
}
} // namespace

int PortNumberFromName(const QString& name)
{
    // Saturates at the top of CommPort's 16-bit range, so no digit run wraps onto another port's number.
    constexpr int maximum = std::numeric_limits<qint16>::max();
    qsizetype i = 0;
    while (i < name.size() && !(isAsciiDigit(name[i]) && name[i] != QLatin1Char('0')))
        ++i;
    int number = 0;
    for (; i < name.size() && isAsciiDigit(name[i]); ++i)
        number = std::min(maximum, number * 10 + (name[i].unicode() - '0'));
    return number;
}

void applyPortSettings(SettingsRecord& record, CMSComm& comm, const RegistryReader& registry)
{
    comm.SetPortName(record.port);
    comm.SetCommPort(static_cast<qint16>(PortNumberFromName(record.port)));
    if (const std::optional<QString> entry = portTableEntry(registry, record.port))
        record.setting = *entry;
    comm.SetSettings(record.setting);
}
