#include "RingCallRule.h"

RingCallRule::Action RingCallRule::ring(qint64 nowMs)
{
    if (m_rang && isInCall(nowMs) && nowMs - m_lastRingMs < m_timings.sameRingMs)
        return Action::None;
    if (!isInCall(nowMs))
        startCall(nowMs);
    else if (m_rang && nowMs - m_lastRingMs >= m_timings.shortestPeriodMs)
        m_periodMs = qMax(m_periodMs, nowMs - m_lastRingMs);
    const bool first = !m_rang;
    m_rang = true;
    m_lastRingMs = nowMs;
    if (first)
        m_firstRingMs = nowMs;
    if (m_stage == Stage::AwaitingName)
        return settle(Action::Announce, nowMs);
    if (first || m_stage == Stage::Settled)
        return Action::None;
    return settle(Action::Query, nowMs);
}

RingCallRule::Action RingCallRule::callerId(qint64 nowMs, bool hasNumber, bool complete, bool newCall)
{
    if (newCall || !isInCall(nowMs))
        startCall(nowMs);
    if (m_stage == Stage::Settled || !hasNumber)
        return Action::None;
    if (complete)
        return settle(Action::Announce, nowMs);
    if (m_stage == Stage::Listening) {
        m_stage = Stage::AwaitingName;
        m_numberMs = nowMs;
    }
    return Action::None;
}

RingCallRule::Action RingCallRule::due(qint64 nowMs)
{
    const qint64 dueMs = nextDueMs();
    if (dueMs < 0 || nowMs < dueMs)
        return Action::None;
    return settle(m_stage == Stage::AwaitingName ? Action::Announce : Action::Query, nowMs);
}

qint64 RingCallRule::nextDueMs() const
{
    if (!m_inCall)
        return -1;
    if (m_stage == Stage::AwaitingName)
        return m_numberMs + m_timings.nameWaitMs;
    if (m_stage == Stage::Listening && m_rang)
        return m_firstRingMs + m_timings.loneRingMs;
    return -1;
}

// The lines of one announcement come within moments of each other (a name
// is waited for no longer): another number among them is no new caller.
bool RingCallRule::startsCall(qint64 nowMs, bool anotherNumber) const
{
    return !isInCall(nowMs) || (anotherNumber && m_announcedMs >= 0 && nowMs - m_announcedMs >= m_timings.nameWaitMs);
}

bool RingCallRule::isInCall(qint64 nowMs) const
{
    return m_inCall && nowMs - m_lastRingMs < endingPauseMs();
}

// A line rings on a steady cadence: a pause well past its period is the call's end.
qint64 RingCallRule::endingPauseMs() const
{
    return m_periodMs > 0 ? qMin(m_timings.callGapMs, m_periodMs * 3 / 2) : m_timings.callGapMs;
}

void RingCallRule::reset()
{
    m_inCall = false;
    m_rang = false;
    m_announcedMs = -1;
    m_periodMs = 0;
    m_stage = Stage::Listening;
}

void RingCallRule::startCall(qint64 nowMs)
{
    m_inCall = true;
    m_rang = false;
    m_announcedMs = -1;
    m_periodMs = 0;
    m_stage = Stage::Listening;
    m_lastRingMs = nowMs;
}

RingCallRule::Action RingCallRule::settle(Action action, qint64 nowMs)
{
    m_stage = Stage::Settled;
    m_announcedMs = action == Action::Announce ? nowMs : -1;
    return action;
}
