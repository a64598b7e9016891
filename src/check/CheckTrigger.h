#pragma once

// What started a check. A check nobody started by hand runs beside the user's
// real work: it takes no keyboard focus and tells its errors without waiting
// for a click.
enum class CheckTrigger {
    Button,       // the Check button, by hand
    Timer,        // the check timer, every few minutes
    Ring,         // the second ring of a call (or a lone ring's wait) on the watched port
    Announcement, // the caller ID the modem announced between rings: no query at all
    Activation,   // another application became the active one
};

inline bool isAutomatic(CheckTrigger trigger)
{
    return trigger != CheckTrigger::Button;
}
