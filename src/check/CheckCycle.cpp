#include "CheckCycle.h"

#include "CallLog.h"
#include "ExtractNumber.h"
#include "StatusWait.h"
#include "base/DisplayText.h"
#include "base/RingletError.h"
#include "base/SettingsRecord.h"
#include "link/MSComm.h"
#include "strings.h"

#include <QScopeGuard>
#include <QTimer>

CheckCycle::CheckCycle(SettingsRecord& settings, CMSComm& comm, StatusWait& wait, QObject* parent)
    : QObject(parent), m_settings(settings), m_comm(comm), m_wait(wait)
{
}

void CheckCycle::run(CheckTrigger trigger)
{
    // The waits below dispatch events, so a timer tick or a ring can arrive
    // mid-check. One check at a time on the port: a check asked for during
    // another waits for it, so that a call ringing during a check by hand
    // still gets its own. One waiting check reads the newest answer for all.
    if (m_running) {
        if (!m_waiting)
            m_waiting = trigger;
        return;
    }
    m_waiting.reset(); // this check serves a request that was waiting
    m_running = true;
    emit starting();
    const auto finished = qScopeGuard([this] { finish(); });

    const QByteArray commandLine = m_settings.command.toLocal8Bit() + "\r\n";
    const bool takeFocus = !isAutomatic(trigger);
    if (!m_comm.GetPortOpen()) {
        m_comm.SetPortOpen(true);
        m_wait.showTimedStatus(QString::fromLatin1(Texts::OpeningPort), takeFocus);
    }
    m_comm.SetOutput(commandLine);
    // This second is all the time the modem gets to answer.
    m_wait.showTimedStatus(QString::fromLatin1(Texts::SendingCommand), takeFocus);
    const QByteArray reply = m_comm.GetInput();
    if (m_comm.GetPortOpen())
        m_comm.SetPortOpen(false);

    conclude(ExtractNumber(reply, m_settings.marker.toLocal8Bit()), QString(), trigger);
}

void CheckCycle::takeAnnouncement(const QByteArray& number, const QString& name)
{
    conclude(number, name, CheckTrigger::Announcement);
}

// What every check ends with, whichever way its display text came: shown,
// logged unless it is a repeat to skip, remembered as the previous number.
void CheckCycle::conclude(const QByteArray& displayText, const QString& name, CheckTrigger trigger)
{
    const QString shownText = displayTextToString(displayText);
    emit outcome({shownText, name, QDateTime::currentDateTime(), trigger});
    if (m_settings.logFlags & LogFlags::EnableLog) {
        try {
            appendToLog(displayText);
        } catch (const RingletError& error) {
            // Told without waiting for the user, so later checks are not held up.
            emit logWriteFailed(error.description());
            return;
        }
    }
    m_settings.previousNo = shownText;
}

void CheckCycle::appendToLog(const QByteArray& displayText)
{
    if (CallLog::isRepeatToSkip(m_settings.logFlags, displayTextToString(displayText), m_settings.previousNo))
        return;
    CallLog::append(QString::fromLatin1(CallLog::FileName), displayText);
}

void CheckCycle::finish()
{
    m_running = false;
    emit finished();
    // From the event loop, so a stream of requests never nests checks.
    if (m_waiting)
        QTimer::singleShot(0, this, [this] {
            if (m_waiting && !m_running)
                emit checkWanted(*m_waiting);
        });
}
