#pragma once

#include <string>
#include <vector>

// Which application is the active one, as the desktop tells it. Plain standard
// types, so the Windows watcher and its self-test need nothing but Win32.
struct ForegroundApp
{
    std::string executable;           // base name of the process's executable; empty when unknown
    std::vector<std::string> classes; // window class names (on X11 both parts of WM_CLASS)
    bool ownProcess = false;          // one of Ringlet's own windows
    bool transient = false;           // a dialog of another window (WM_TRANSIENT_FOR, an owner window)
    bool alreadyActive = false;       // active when watching began: a starting point, not an activation
};

// Whether a change of the active application calls for a check: only a change
// from an application that does not match the named one to one that does.
// Switching between windows of the matching application starts nothing.
class AppActivationRule
{
public:
    explicit AppActivationRule(const std::string& anotherApp = std::string());

    // False when the name is empty after trimming: nothing can ever match.
    bool namesAnApplication() const { return !m_name.empty(); }
    // The name compared without case, with or without ".exe", against the
    // executable and every class. Ringlet's own windows never match.
    bool matches(const ForegroundApp& app) const;

    // Another application became the active one; true when a check is wanted.
    bool activated(const ForegroundApp& app);
    // Ringlet's own main window became the active one: it never matches.
    void ringletActivated() { m_inMatch = false; }

private:
    std::string m_name; // trimmed, lower case, without ".exe"
    bool m_inMatch = false;
};
