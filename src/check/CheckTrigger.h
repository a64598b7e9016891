#pragma once

// What started a check. A check nobody started by hand runs beside the user's
// real work: it takes no keyboard focus and tells its errors without waiting
// for a click.
enum class CheckTrigger { Button, Timer, Ring, Activation };

inline bool isAutomatic(CheckTrigger trigger)
{
    return trigger != CheckTrigger::Button;
}
