// The RI pin through the comm port's modem status.
#include "RingPin.h"

#include <windows.h>

namespace {
class CommRingPin : public RingPin
{
public:
    State read(std::intptr_t handle) override
    {
        DWORD status = 0;
        if (!GetCommModemStatus(reinterpret_cast<HANDLE>(handle), &status))
            return State::Unreadable;
        return (status & MS_RING_ON) ? State::On : State::Off;
    }
};
} // namespace

std::unique_ptr<RingPin> createRingPin()
{
    return std::make_unique<CommRingPin>();
}
