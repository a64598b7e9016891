#pragma once

#include "AppActivationRule.h"

#include <functional>
#include <memory>

// Watches which window the desktop makes the active one. One implementation
// per platform, chosen by CMake: X11 (root window's _NET_ACTIVE_WINDOW), Windows
// (a foreground WinEvent hook), and none elsewhere. The Windows one uses the
// Win32 API and the standard library only.
class ForegroundWatcher
{
public:
    using Handler = std::function<void(const ForegroundApp&)>;

    virtual ~ForegroundWatcher() = default;

    // Starts calling `handler` on this (the GUI) thread each time a window
    // becomes the active one, and once right away for the window active now
    // (marked alreadyActive). Ringlet's own windows come marked ownProcess, or
    // not at all (the Windows hook skips them). A change to no active window is
    // not reported. False when this desktop does not tell which window is
    // active: nothing is watched then.
    virtual bool start(Handler handler) = 0;
    virtual void stop() = 0;
    // Whether Ringlet's own windows are reported, in order with the others.
    virtual bool seesOwnWindows() const = 0;
};

std::unique_ptr<ForegroundWatcher> createForegroundWatcher();
