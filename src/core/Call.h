#pragma once

#include "check/CheckOutcome.h"

#include <QDateTime>
#include <QString>

// One call as the program knows it, published once when it comes: whatever
// shows, logs, lists or notifies a call takes it from this value.
struct Call
{
    QString number;        // the number as found, or one of the fixed texts ("Can't find string", ...)
    QString name;          // the name to show: the phone book's, else the one the line sent
    QString announcedName; // the name the line sent, empty when none came
    QDateTime when;
    CheckTrigger trigger = CheckTrigger::Button; // what started it
    CallSource source = CallSource::Query;       // how the number came
    // The caller is on the block list and was hung up on.
    bool blocked = false;
    // A new number that came by itself while the user was elsewhere.
    bool asksForAttention = false;
};

// A failure the user must know of, in words, with what it concerns: each
// cause is told in a place of its own, one at a time.
struct Problem
{
    enum class Cause { Check, CallLog, RingPort, PhoneBook, Network };
    Cause cause = Cause::Check;
    QString words;
    // Someone is waiting for it (a check by hand): it may wait for an answer.
    bool mayBlock = false;
};
