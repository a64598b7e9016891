#pragma once

#include <QObject>

#include <functional>

class QString;

// How a check waits its seconds: one line of status shown for a while, the
// event loop running on, then the check's next step. The window side shows
// it in a status window; without a window the wait is a plain timer. The
// check itself knows nothing of windows.
class StatusWait
{
public:
    virtual ~StatusWait() = default;

    // Shows `text` for `ms`, then calls `done` from the event loop.
    // `takeFocus`: a check started by hand may take the keyboard; one nobody
    // started must leave it where it is.
    virtual void showTimedStatus(const QString& text, bool takeFocus, int ms, std::function<void()> done) = 0;
    // The check has ended: whatever showed its status goes.
    virtual void endStatus() {}
};

// The wait of a check with nobody to show it to: a timer, nothing on the screen.
class QuietWait : public QObject, public StatusWait
{
public:
    using QObject::QObject;
    void showTimedStatus(const QString& text, bool takeFocus, int ms, std::function<void()> done) override;
};
