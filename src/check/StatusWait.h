#pragma once

class QString;

// How a check waits its seconds: one line of status shown for one second while
// events go on being handled. The window side provides it, so the check itself
// knows nothing of windows.
class StatusWait
{
public:
    virtual ~StatusWait() = default;

    // Shows `text` for one second and returns. `takeFocus`: a check started by
    // hand may take the keyboard; one nobody started must leave it where it is.
    virtual void showTimedStatus(const QString& text, bool takeFocus) = 0;
};
