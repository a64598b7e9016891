#include "MemoryRegistry.h"

#include <algorithm>

namespace {

class MemoryKey : public RegistryKey
{
public:
    explicit MemoryKey(std::shared_ptr<MemoryRegistry::KeyData> data) : m_data(std::move(data)) {}

    long enumValue(unsigned long index, unsigned long nameCapacity, unsigned long dataCapacity, std::string& name,
                   unsigned long& type, std::string& data) override
    {
        name.clear();
        data.clear();
        if (!m_open)
            return Registry::InvalidHandle;
        const auto failure = m_data->enumFailures.find(index);
        if (failure != m_data->enumFailures.end())
            return failure->second;
        if (index >= m_data->values.size())
            return Registry::NoMoreItems;
        const MemoryRegistry::Value& value = m_data->values[index];
        type = value.type;
        if (!Registry::fitsEnumCapacities(value.name, value.data, nameCapacity, dataCapacity))
            return Registry::MoreData;
        name = value.name;
        data = value.data;
        return Registry::Success;
    }

    long queryValue(const std::string& name, unsigned long capacity, unsigned long& type, std::string& data) override
    {
        data.clear();
        if (!m_open)
            return Registry::InvalidHandle;
        m_data->queriedNames.push_back(name);
        const auto& values = m_data->values;
        const auto found =
            std::find_if(values.begin(), values.end(), [&](const MemoryRegistry::Value& v) { return v.name == name; });
        if (found == values.end())
            return Registry::FileNotFound;
        type = found->type;
        if (found->data.size() > capacity)
            return Registry::MoreData;
        data = found->data;
        return Registry::Success;
    }

    long close() override
    {
        if (!m_open)
            return Registry::InvalidHandle;
        m_open = false;
        return m_data->closeResult;
    }

private:
    std::shared_ptr<MemoryRegistry::KeyData> m_data;
    bool m_open = true;
};
} // namespace

MemoryRegistry::KeyData& MemoryRegistry::key(const std::string& path)
{
    std::shared_ptr<KeyData>& data = m_keys[path];
    if (!data)
        data = std::make_shared<KeyData>();
    return *data;
}

void MemoryRegistry::addKey(const std::string& path)
{
    key(path);
}

void MemoryRegistry::setValue(const std::string& path, const Value& value)
{
    std::vector<Value>& values = key(path).values;
    const auto found = std::find_if(values.begin(), values.end(), [&](const Value& v) { return v.name == value.name; });
    if (found != values.end())
        *found = value;
    else
        values.push_back(value);
}

void MemoryRegistry::setString(const std::string& path, const std::string& name, const std::string& text)
{
    setValue(path, {name, Registry::TypeSz, text + '\0'});
}

void MemoryRegistry::refuseOpen(const std::string& path)
{
    key(path).refuseOpen = true;
}

void MemoryRegistry::failEnumAt(const std::string& path, unsigned long index, long result)
{
    key(path).enumFailures[index] = result;
}

void MemoryRegistry::failClose(const std::string& path, long result)
{
    key(path).closeResult = result;
}

int MemoryRegistry::openCount(const std::string& path) const
{
    const auto found = m_keys.find(path);
    return found == m_keys.end() ? 0 : found->second->openCount;
}

std::vector<std::string> MemoryRegistry::queriedNames(const std::string& path) const
{
    const auto found = m_keys.find(path);
    return found == m_keys.end() ? std::vector<std::string>() : found->second->queriedNames;
}

std::unique_ptr<RegistryKey> MemoryRegistry::openLocalMachineKey(const std::string& path) const
{
    const auto found = m_keys.find(path);
    if (found == m_keys.end() || found->second->refuseOpen)
        return nullptr;
    ++found->second->openCount;
    return std::make_unique<MemoryKey>(found->second);
}
