#include "RingCallRule.h"

bool RingCallRule::ring(qint64 nowMs)
{
    if (m_inCall && nowMs - m_lastRingMs < m_timings.sameRingMs)
        return false;
    const bool newCall = !m_inCall || nowMs - m_lastRingMs >= m_timings.callGapMs;
    m_lastRingMs = nowMs;
    if (newCall) {
        m_inCall = true;
        m_checked = false;
        m_firstRingMs = nowMs;
        return false;
    }
    return takeCheck();
}

bool RingCallRule::due(qint64 nowMs)
{
    if (!m_inCall || m_checked || nowMs - m_firstRingMs < m_timings.loneRingMs)
        return false;
    return takeCheck();
}

qint64 RingCallRule::nextDueMs() const
{
    return m_inCall && !m_checked ? m_firstRingMs + m_timings.loneRingMs : -1;
}

void RingCallRule::reset()
{
    m_inCall = false;
    m_checked = false;
}

bool RingCallRule::takeCheck()
{
    if (m_checked)
        return false;
    m_checked = true;
    return true;
}
