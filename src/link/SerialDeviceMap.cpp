#include "SerialDeviceMap.h"

#include "Registry.h"

#include <string>

namespace {
// Most values fit the classic capacities ("\Device\Serial0", "COM1"); a value
// that does not is read once more with room for any value name and for long
// device paths such as /dev/serial/by-id/... links.
constexpr unsigned long NameCapacity = 16;
constexpr unsigned long DataCapacity = 16;
constexpr unsigned long LargeNameCapacity = 16384;
constexpr unsigned long LargeDataCapacity = 4096;

QString portNameFromData(const std::string& data)
{
    return QString::fromLocal8Bit(data.substr(0, data.find('\0')));
}
} // namespace

bool readSerialDeviceMap(const RegistryReader& registry, const std::function<void(const QString&)>& addPort)
{
    std::unique_ptr<RegistryKey> key = registry.openLocalMachineKey(Registry::SerialDeviceMap);
    if (!key)
        return false;
    for (unsigned long index = 0;; ++index) {
        std::string name;
        std::string data;
        unsigned long type = Registry::TypeNone;
        long result = key->enumValue(index, NameCapacity, DataCapacity, name, type, data);
        if (result == Registry::MoreData)
            result = key->enumValue(index, LargeNameCapacity, LargeDataCapacity, name, type, data);
        if (result == Registry::Success) {
            if (type == Registry::TypeSz)
                addPort(portNameFromData(data));
        } else if (result == Registry::MoreData) {
            continue;
        } else {
            key->close();
            return result == Registry::NoMoreItems;
        }
    }
}
