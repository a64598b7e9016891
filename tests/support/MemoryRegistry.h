#pragma once

#include "link/Registry.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

// An in-memory registry for tests, with the Win32 results the readers branch on:
// MoreData from a real capacity check, NoMoreItems past the last value, keys that
// will not open, failures injected at an enumeration index, and a failing close.
class MemoryRegistry : public RegistryReader
{
public:
    struct Value
    {
        std::string name;
        unsigned long type = Registry::TypeNone;
        std::string data; // raw bytes as stored
    };

    // A key that opens, with no values yet.
    void addKey(const std::string& path);
    // Adds a value (or replaces the one of that name, keeping its place); adds the key if needed.
    void setValue(const std::string& path, const Value& value);
    // A REG_SZ value stored with its terminating zero, as the system stores strings.
    void setString(const std::string& path, const std::string& name, const std::string& text);

    // The key exists but opening it fails (access denied).
    void refuseOpen(const std::string& path);
    // enumValue at `index` returns `result` instead of the value.
    void failEnumAt(const std::string& path, unsigned long index, long result);
    // close() of this key returns `result` (the key is closed all the same).
    void failClose(const std::string& path, long result);

    // How often the key was opened successfully, and the names queried in it.
    int openCount(const std::string& path) const;
    std::vector<std::string> queriedNames(const std::string& path) const;

    std::unique_ptr<RegistryKey> openLocalMachineKey(const std::string& path) const override;

    struct KeyData
    {
        std::vector<Value> values;
        bool refuseOpen = false;
        std::map<unsigned long, long> enumFailures;
        long closeResult = Registry::Success;
        int openCount = 0;
        std::vector<std::string> queriedNames;
    };

private:
    KeyData& key(const std::string& path);

    std::map<std::string, std::shared_ptr<KeyData>> m_keys;
};
