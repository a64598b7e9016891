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

void CRingletDlg::CheckNumber()
{
    // The waits below dispatch events, so a timer tick can arrive mid-check.
    // One check at a time on the port: a check asked for during another is
    // dropped, the one in progress is about to show a fresh answer anyway.
    if (m_checkRunning)
        return;
    m_checkRunning = true;
    emit checkStarting();
    const auto finished = qScopeGuard([this] {
        m_checkRunning = false;
        emit checkFinished();
        if (m_closePending)
            close();
    });

    const QByteArray commandLine = m_settings.command.toLocal8Bit() + "\r\n";
    CStatusDlg status(this);

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
