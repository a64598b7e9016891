// The RI pin through the modem-status ioctl of a tty.
#include "RingPin.h"

#include <sys/ioctl.h>

namespace {
class TtyRingPin : public RingPin
{
public:
    State read(std::intptr_t handle) override
    {
        int status = 0;
        if (::ioctl(static_cast<int>(handle), TIOCMGET, &status) != 0)
            return State::Unreadable;
        return (status & TIOCM_RNG) ? State::On : State::Off;
    }
};
} // namespace

std::unique_ptr<RingPin> createRingPin()
{
    return std::make_unique<TtyRingPin>();
}
