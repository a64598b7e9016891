#pragma once

#include "CheckTrigger.h"

#include <QDateTime>
#include <QString>

// How a call's number came: as the modem's reply to a query, announced by
// the modem itself between rings, or from another desk's server (NCID).
enum class CallSource { Query, Announcement, OtherDesk };

// What one check came to, as it leaves the check: the window shows it, and
// whoever else cares (the call history, the phone book, the notifier) takes it
// from the same signal.
struct CheckOutcome
{
    QString displayText; // the number as found, or one of the fixed texts ("Can't find string", ...)
    QString name;        // the caller's name when one is known, else empty
    QDateTime when;      // local time the outcome came
    CheckTrigger trigger = CheckTrigger::Button;
    CallSource source = CallSource::Query;
    // The caller is on the block list and was hung up on.
    bool blocked = false;
};
