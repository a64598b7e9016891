#pragma once

#include <QtGlobal>

// When a run of rings asks for a check. A call is a run of rings less than
// `callGapMs` apart; its one check comes at the second ring, or `loneRingMs`
// after the first when no second ring comes by then (caller-ID data arrives
// between the first two rings on most lines). Time is an input, in
// milliseconds from any fixed origin, so the rule runs without real waits.
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
    };

    RingCallRule() = default;
    explicit RingCallRule(const Timings& timings) : m_timings(timings) {}

    // A ring at `nowMs`; true when it starts the call's check.
    bool ring(qint64 nowMs);
    // True when the call's lone-ring wait is over at `nowMs` and its check starts now.
    bool due(qint64 nowMs);
    // When `due` next needs asking, or -1 when no check waits.
    qint64 nextDueMs() const;
    void reset();

private:
    bool takeCheck();

    Timings m_timings;
    bool m_inCall = false;
    bool m_checked = false;
    qint64 m_firstRingMs = 0;
    qint64 m_lastRingMs = 0;
};
