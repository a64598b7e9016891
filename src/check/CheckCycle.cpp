#include "CheckCycle.h"

#include "CallLog.h"
#include "ExtractNumber.h"
#include "StatusWait.h"
#include "base/DisplayText.h"
#include "base/RingletError.h"
#include "base/SettingsRecord.h"
#include "link/MSComm.h"
#include "strings.h"

CheckCycle::CheckCycle(SettingsRecord& settings, CMSComm& comm, StatusWait& wait, QObject* parent)
    : QObject(parent), m_settings(settings), m_comm(comm), m_wait(&wait)
{
    m_sendTimer.setSingleShot(true);
    connect(&m_sendTimer, &QTimer::timeout, this, &CheckCycle::readReply);
}

void CheckCycle::run(CheckTrigger trigger)
{
    // The waits below let events go on, so a timer tick or a ring can arrive
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
    m_trigger = trigger;
    emit starting();
    attempt([this] {
        if (m_comm.GetPortOpen()) {
            sendCommand();
            return;
        }
        m_comm.SetPortOpen(true);
        waitThen(Texts::OpeningPort, &CheckCycle::sendCommand);
    });
}

// A step the modem refuses abandons the check where it stands: nothing is
// shown, logged or remembered, and whoever started it is told why.
void CheckCycle::attempt(const std::function<void()>& step)
{
    try {
        step();
    } catch (const RingletError& error) {
        const CheckTrigger trigger = m_trigger;
        finish();
        emit failed(trigger, error.description());
    }
}

void CheckCycle::waitThen(const char* statusText, void (CheckCycle::*next)())
{
    const QString text = QString::fromLatin1(statusText);
    emit stepStarted(text);
    m_wait->showTimedStatus(text, !isAutomatic(m_trigger), m_stepMs, [this, next] { (this->*next)(); });
}

void CheckCycle::sendCommand()
{
    attempt([this] {
        m_comm.SetOutput(m_settings.command.toLocal8Bit() + "\r\n");
        // This second is all the time the modem gets to answer.
        waitThen(Texts::SendingCommand, &CheckCycle::awaitSent);
    });
}

// A line that has not yet taken the whole command gets the rest of the send's
// time, the event loop running on; then the reply is read, or the line is
// reported as one that does not take the data.
void CheckCycle::awaitSent()
{
    if (!m_comm.isSending()) {
        readReply();
        return;
    }
    m_sentConnection = connect(&m_comm, &CMSComm::sent, this, &CheckCycle::readReply);
    m_sendTimer.start(m_comm.sendTimeLeftMs());
}

void CheckCycle::readReply()
{
    disconnect(m_sentConnection);
    m_sendTimer.stop();
    attempt([this] {
        const QByteArray reply = m_comm.GetInput();
        if (m_comm.GetPortOpen())
            m_comm.SetPortOpen(false);
        const CheckTrigger trigger = m_trigger;
        conclude(ExtractNumber(reply, m_settings.marker.toLocal8Bit()), QString(), trigger, CallSource::Query);
        finish();
    });
}

void CheckCycle::takeAnnouncement(const QByteArray& number, const QString& name)
{
    conclude(number, name, CheckTrigger::Announcement, CallSource::Announcement);
}

void CheckCycle::takeOtherDeskCall(const QByteArray& number, const QString& name)
{
    conclude(number, name, CheckTrigger::Announcement, CallSource::OtherDesk);
}

// What every check ends with, whichever way its display text came: shown,
// logged unless it is a repeat to skip, remembered as the previous number.
void CheckCycle::conclude(const QByteArray& displayText, const QString& name, CheckTrigger trigger, CallSource source)
{
    const QString shownText = displayTextToString(displayText);
    const bool blocked = m_blockRule && m_blockRule(shownText, trigger, source);
    emit outcome({shownText, name, QDateTime::currentDateTime(), trigger, source, blocked});
    if (m_settings.logFlags & LogFlags::EnableLog) {
        try {
            appendToLog(blocked ? displayText + CallLog::HungUpMark : displayText);
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
    m_wait->endStatus();
    emit finished();
    // From the event loop, so a stream of requests never nests checks.
    if (m_waiting)
        QTimer::singleShot(0, this, [this] {
            if (m_waiting && !m_running)
                emit checkWanted(*m_waiting);
        });
}
