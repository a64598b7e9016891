#pragma once

#include <QString>
#include <functional>

class RegistryReader;

// Reads the port names of the system's serial device map, value by value in the
// map's own order, handing each string value's data to `addPort`. Returns false
// when the map cannot be opened or a value cannot be read; names handed out
// before a failure stay handed out.
bool readSerialDeviceMap(const RegistryReader& registry, const std::function<void(const QString&)>& addPort);
