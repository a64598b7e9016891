#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

// Which application is the active one, as the desktop tells it. Plain standard
// types, so the Windows watcher and its self-test need nothing but Win32; the
// names are UTF-8, whatever encoding the desktop keeps them in.
struct ForegroundApp
{
    std::string executable;           // base name of the process's executable; empty when unknown
    std::vector<std::string> classes; // window class names (on X11 both parts of WM_CLASS)
    bool ownProcess = false;          // one of Ringlet's own windows
    bool transient = false;           // a dialog of another window (WM_TRANSIENT_FOR, an owner window)
    bool alreadyActive = false;       // active when watching began: a starting point, not an activation
};

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
