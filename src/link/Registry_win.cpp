// The system tables on Windows: the registry under HKEY_LOCAL_MACHINE, read only.

#include "Registry.h"

#include <windows.h>

#include <vector>

namespace {
class WinRegistryKey : public RegistryKey
{
public:
    explicit WinRegistryKey(HKEY key) : m_key(key) {}
    ~WinRegistryKey() override { close(); }

    long enumValue(unsigned long index, unsigned long nameCapacity, unsigned long dataCapacity, std::string& name,
                   unsigned long& type, std::string& data) override
    {
        std::vector<char> nameBuffer(nameCapacity + 1, '\0');
        std::vector<BYTE> dataBuffer(dataCapacity + 1, 0);
        DWORD nameLength = nameCapacity;
        DWORD dataLength = dataCapacity;
        DWORD valueType = REG_NONE;
        const LONG result = RegEnumValueA(m_key, index, nameBuffer.data(), &nameLength, nullptr, &valueType,
                                          dataBuffer.data(), &dataLength);
        type = valueType;
        name.clear();
        data.clear();
        if (result == ERROR_SUCCESS) {
            name.assign(nameBuffer.data(), nameLength);
            data.assign(reinterpret_cast<const char*>(dataBuffer.data()), dataLength);
        }
        return result;
    }

    long queryValue(const std::string& name, unsigned long capacity, unsigned long& type, std::string& data) override
    {
        std::vector<BYTE> buffer(capacity + 1, 0);
        DWORD length = capacity;
        DWORD valueType = REG_NONE;
        const LONG result = RegQueryValueExA(m_key, name.c_str(), nullptr, &valueType, buffer.data(), &length);
        type = valueType;
        data.clear();
        if (result == ERROR_SUCCESS)
            data.assign(reinterpret_cast<const char*>(buffer.data()), length);
        return result;
    }

    long close() override
    {
        if (!m_key)
            return ERROR_INVALID_HANDLE;
        const LONG result = RegCloseKey(m_key);
        m_key = nullptr;
        return result;
    }

private:
    HKEY m_key;
};

class WinRegistryReader : public RegistryReader
{
public:
    std::unique_ptr<RegistryKey> openLocalMachineKey(const std::string& path) const override
    {
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
            return nullptr;
        return std::make_unique<WinRegistryKey>(key);
    }
};
} // namespace

std::unique_ptr<RegistryReader> createSystemRegistryReader()
{
    return std::make_unique<WinRegistryReader>();
}
