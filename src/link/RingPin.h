#pragma once

#include <cstdint>
#include <memory>

// Reads the ring-indicator (RI) pin of an open serial port. The port stays
// with QSerialPort, which on Windows keeps the handle's one event wait for
// itself, so the pin is read, not waited on: the watcher reads it a few times
// a second. Plain standard types, so the Windows build needs only the Win32 API.
class RingPin
{
public:
    enum class State { Off, On, Unreadable };

    virtual ~RingPin() = default;
    // `handle`: the port's native handle (a file descriptor, or a HANDLE on
    // Windows). Unreadable when the driver has no modem-status lines, as a
    // pseudo-terminal has none.
    virtual State read(std::intptr_t handle) = 0;
};

// The platform's pin reader.
std::unique_ptr<RingPin> createRingPin();
