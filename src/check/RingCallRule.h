#pragma once

#include <QtGlobal>

// What a call on the watched line wants, and when. A call is a run of rings
// less than `callGapMs` apart; once two of its rings have shown the line's
// ring period, a pause of more than one and a half periods ends it too, so the
// next caller right after is a call of its own. When the modem announces the
// caller (between the first two rings on most lines, before the first on
// some), the announcement is the call's outcome: once its number has come, its
// name is waited for until the next ring or `nameWaitMs`, whichever is sooner.
// A call with no number by its second ring, or `loneRingMs` after its first
// when no second comes, gets one query check. Either settles the call: nothing
// more comes of it, but an announcement of another number once the call was
// announced is the next caller's call, however soon it comes. Time is an
// input, in milliseconds from any fixed origin, so the rule runs without real
// waits.
class RingCallRule
{
public:
    struct Timings
    {
        qint64 callGapMs = 8000;
        qint64 loneRingMs = 6000;
        // A modem that reports a ring both as a result line and on its RI pin
        // reports it twice within milliseconds; pulses this close are one ring.
        qint64 sameRingMs = 1000;
        qint64 nameWaitMs = 1000;
        // Rings closer than this are the bursts of one distinctive or double
        // ring, not the line's ring period (3 to 6 s on real lines).
        qint64 shortestPeriodMs = 2500;
    };

    enum class Action {
        None,
        Query,    // the call's query check starts now
        Announce, // the call's announcement is complete: it is the outcome
    };

    RingCallRule() = default;
    explicit RingCallRule(const Timings& timings) : m_timings(timings) {}

    // A ring at `nowMs`.
    Action ring(qint64 nowMs);
    // A caller-ID line at `nowMs`: `hasNumber` once the call's number has come,
    // `complete` once nothing is to follow it. Outside a call, or with
    // `newCall` (as startsCall() said), it starts one.
    Action callerId(qint64 nowMs, bool hasNumber, bool complete, bool newCall = false);
    // Whether a caller-ID line at `nowMs` starts a call: outside a call, or with
    // `anotherNumber` (a number other than the one the call was announced
    // with) once the announcement's own lines are past.
    bool startsCall(qint64 nowMs, bool anotherNumber) const;
    // What is due at `nowMs`, the moment nextDueMs() gave.
    Action due(qint64 nowMs);
    // When `due` next needs asking, or -1 when nothing waits.
    qint64 nextDueMs() const;
    // True while a ring or an announcement at `nowMs` would belong to the current call.
    bool isInCall(qint64 nowMs) const;
    void reset();

private:
    enum class Stage { Listening, AwaitingName, Settled };

    void startCall(qint64 nowMs);
    Action settle(Action action, qint64 nowMs);
    qint64 endingPauseMs() const;

    Timings m_timings;
    Stage m_stage = Stage::Listening;
    bool m_inCall = false;
    bool m_rang = false;
    qint64 m_announcedMs = -1; // when the call was announced; -1 while it was not
    qint64 m_periodMs = 0;     // the longest gap between this call's rings (not bursts of one), 0: none yet
    qint64 m_firstRingMs = 0;
    qint64 m_lastRingMs = 0; // or the announcement that started the call
    qint64 m_numberMs = 0;
};
