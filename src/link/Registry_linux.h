#pragma once

#include "Registry.h"

#include <QString>

// The Linux reader with the folder of stable port links given: the system's is
// /dev/serial/by-id, where udev names each port after its maker and serial number.
std::unique_ptr<RegistryReader> createLinuxRegistryReader(const QString& stableLinksDir);
