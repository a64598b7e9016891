#pragma once

#include <string>

// Why a serial port would not open, found from the device itself after the
// open failed: the serial library's own error texts name the mechanism that
// failed (a lock file, an ioctl), not what the user has to do about it.
// Plain standard types, so the Windows build needs nothing but the Win32 API.
enum class PortFault {
    Unknown,      // nothing found: the library's own reason stands
    InUse,        // another program holds the port
    NoPermission, // the user may not open the device
    Missing,      // no such device, or it was unplugged
    NotSerial,    // the name is something else (file, folder, pipe, too long)
};

enum class NotSerialKind { RegularFile, Folder, Pipe, NameTooLong, OtherDevice };

// For NoPermission: what the device's owner, group and mode say the user can do.
enum class PermissionAdvice {
    AskForAccess, // the mode does not explain the refusal, or the device was not found
    JoinGroup,    // the device's group may read and write it, and the user is not in that group
    LogInAgain,   // the user was added to that group after logging in
    OwnerOnly,    // only the device's owner may read and write it
};

struct PortDiagnosis
{
    PortFault fault = PortFault::Unknown;
    NotSerialKind kind = NotSerialKind::OtherDevice;          // for NotSerial
    std::string holder;                                       // for InUse: the program holding the port, when known
    PermissionAdvice advice = PermissionAdvice::AskForAccess; // for NoPermission
    std::string owner; // for NoPermission: the user that owns the device, when known
    std::string group; // for NoPermission: the group that owns the device, when known
};

// Looks at the port `name` (as configured: "ttyUSB0", "COM3" or a path).
PortDiagnosis diagnosePort(const std::string& name);

// What the system error `error` from opening `devicePath` says; for a refused
// permission, who may use the device and what would let this user do so.
PortDiagnosis diagnoseOpenError(int error, const std::string& devicePath);
