#pragma once

#include <QString>

// Port names resolved exactly as the serial library opens them, so that two
// names are compared by the device they reach, not by how they are spelled.
//
// The device path the serial library opens for `name`: on POSIX systems a name
// that starts with "/", "./" or "../" is a path as it stands and any other name
// ("ttyUSB0", "pts/1") lies under /dev; on Windows "COM3" is "\\.\COM3".
QString serialSystemLocation(const QString& name);

// Whether two port names open the same device: the same location, or the same
// file once links (/dev/serial/by-id/...) are resolved.
bool isSamePort(const QString& a, const QString& b);
