#pragma once

#include <memory>
#include <string>

// Read-only access to the system tables under the local-machine root: the
// serial device map and the per-port line settings. Plain standard types, so
// that the Windows implementation needs nothing but the Win32 API.
namespace Registry {
// Results, with the values the Win32 registry functions return.
constexpr long Success = 0;
constexpr long FileNotFound = 2;
constexpr long AccessDenied = 5;
constexpr long InvalidHandle = 6; // a call on a closed key
constexpr long MoreData = 234;
constexpr long NoMoreItems = 259;

// Value types.
constexpr unsigned long TypeNone = 0;
constexpr unsigned long TypeSz = 1;
constexpr unsigned long TypeBinary = 3;
constexpr unsigned long TypeDword = 4;

inline constexpr char SerialDeviceMap[] = "HARDWARE\\DEVICEMAP\\SERIALCOMM";
inline constexpr char PortsKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Ports";
inline constexpr char PortsKeyNt[] = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Ports";

// Whether an enumerated value fits the caller's capacities: the name needs room
// for its terminating zero, the data is counted as stored (terminator included).
inline bool fitsEnumCapacities(const std::string& name, const std::string& data, unsigned long nameCapacity,
                               unsigned long dataCapacity)
{
    return name.size() + 1 <= nameCapacity && data.size() <= dataCapacity;
}
} // namespace Registry

class RegistryKey
{
public:
    virtual ~RegistryKey() = default;

    // The value at `index`: its name, type and data, the data as stored (a string's
    // terminator included). Both capacities count the terminating zero; a name or
    // data that does not fit gives Registry::MoreData.
    // Past the last value: Registry::NoMoreItems.
    virtual long enumValue(unsigned long index, unsigned long nameCapacity, unsigned long dataCapacity,
                           std::string& name, unsigned long& type, std::string& data) = 0;

    // The value named `name`, read into a buffer of `capacity` bytes: its type
    // and the bytes stored (a string's terminator included, if it was stored).
    virtual long queryValue(const std::string& name, unsigned long capacity, unsigned long& type,
                            std::string& data) = 0;

    // Closes the key; later calls fail.
    virtual long close() = 0;
};

class RegistryReader
{
public:
    virtual ~RegistryReader() = default;

    // Opens a key below the local-machine root for reading; nullptr when it will not open.
    virtual std::unique_ptr<RegistryKey> openLocalMachineKey(const std::string& path) const = 0;
};

// The reader of this platform: the real registry on Windows; elsewhere the
// system's serial ports as the device map and no table of line settings.
std::unique_ptr<RegistryReader> createSystemRegistryReader();
