#pragma once

#include "ForegroundWatcher.h"

#include <QString>

// Whether a change of the active application calls for a check: only a change
// from an application that does not match the named one to one that does.
// Switching between windows of the matching application starts nothing.
class AppActivationRule
{
public:
    explicit AppActivationRule(const QString& anotherApp = QString());

    // False when the name is empty after trimming: nothing can ever match.
    bool namesAnApplication() const { return !m_name.isEmpty(); }
    // The name compared without case (Unicode case folding), with or without
    // ".exe", against the executable and every class. Ringlet's own windows never match.
    bool matches(const ForegroundApp& app) const;

    // Another application became the active one; true when a check is wanted.
    bool activated(const ForegroundApp& app);
    // Ringlet's own main window became the active one: it never matches.
    void ringletActivated() { m_inMatch = false; }

private:
    QString m_name; // normalised: trimmed, composed, case-folded, without ".exe"
    bool m_inMatch = false;
};
