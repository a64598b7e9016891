// The check cycle: one whole dialogue with the modem, run on the main window.

#include "DisplayText.h"
#include "ExtractNumber.h"
#include "app/RingletError.h"
#include "app/SettingsRecord.h"
#include "link/StatusDlg.h"
#include "strings.h"
#include "ui/MainDlg.h"

#include <QLabel>
#include <QScopeGuard>
#include <QTimer>

void CRingletDlg::CheckNumber(CheckTrigger trigger)
{
    // The waits below dispatch events, so a timer tick or a ring can arrive
    // mid-check. One check at a time on the port: a check asked for during
    // another waits for it, so that a call ringing during a check by hand
    // still gets its own. One waiting check reads the newest answer for all.
    if (m_checkRunning) {
        if (!m_waitingCheck)
            m_waitingCheck = trigger;
        return;
    }
    m_waitingCheck.reset(); // this check serves a request that was waiting
    m_checkRunning = true;
    emit checkStarting();
    const auto finished = qScopeGuard([this] { finishCheck(); });

    const QByteArray commandLine = m_settings.command.toLocal8Bit() + "\r\n";
    CStatusDlg status(this, isAutomatic(trigger) ? CStatusDlg::Focus::Leave : CStatusDlg::Focus::Take);

    if (!m_comm.GetPortOpen()) {
        m_comm.SetPortOpen(true);
        status.ShowTimedStatus(QString::fromLatin1(Texts::OpeningPort));
    }
    m_comm.SetOutput(commandLine);
    // This second is all the time the modem gets to answer.
    status.ShowTimedStatus(QString::fromLatin1(Texts::SendingCommand));
    const QByteArray reply = m_comm.GetInput();
    if (m_comm.GetPortOpen())
        m_comm.SetPortOpen(false);

    const QByteArray displayText = ExtractNumber(reply, m_settings.marker.toLocal8Bit());
    const QString shownText = displayTextToString(displayText);
    m_number->setText(shownText);
    if (m_settings.logFlags & LogFlags::EnableLog) {
        try {
            AppendToLog(displayText);
        } catch (const RingletError& error) {
            // Not remembered, so the next check logs this number again. Told
            // without waiting for the user, so later checks are not held up.
            emit logWriteFailed(error.description());
            return;
        }
    }
    m_settings.previousNo = shownText;
}

void CRingletDlg::finishCheck()
{
    m_checkRunning = false;
    // A check cut short leaves its port open, and the ring watcher lent it
    // that port: it must have it back, or no call would be seen again.
    if (m_ringTrigger.hasLentPort() && m_comm.GetPortOpen())
        m_comm.SetPortOpen(false);
    emit checkFinished();
    if (m_closePending) {
        close();
        return;
    }
    // From the event loop, so a stream of requests never nests checks.
    if (m_waitingCheck)
        QTimer::singleShot(0, this, &CRingletDlg::runWaitingCheck);
}

void CRingletDlg::runWaitingCheck()
{
    if (!m_waitingCheck || m_checkRunning)
        return;
    startCheck(*m_waitingCheck);
}
