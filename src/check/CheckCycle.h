#pragma once

#include "CheckOutcome.h"
#include "CheckTrigger.h"

#include <QByteArray>
#include <QObject>

#include <optional>

class CMSComm;
class StatusWait;
struct SettingsRecord;

// The check: one whole dialogue with the modem, from opening the port to
// logging. It works on the settings record and the serial component it is
// given, waits through the StatusWait it is given, and tells what it came to
// through outcome(); it knows nothing of the window that shows it.
class CheckCycle : public QObject
{
    Q_OBJECT

public:
    CheckCycle(SettingsRecord& settings, CMSComm& comm, StatusWait& wait, QObject* parent = nullptr);

    // Runs one check. Raises RingletError when the modem cannot be reached.
    // Asked for while another check runs, it runs once that one has ended:
    // checkWanted() then asks for it. One waits at most; further requests add nothing.
    void run(CheckTrigger trigger);
    bool isRunning() const { return m_running; }

    // A call's caller ID as the modem announced it between rings: that is the
    // call's check. The number is shown, logged and remembered as a check's
    // result is, with no dialogue on the port and no wait.
    void takeAnnouncement(const QByteArray& number, const QString& name);

    // Appends the display text to the call log, unless it is a repeat to skip.
    // Raises RingletError when the line cannot be written.
    void appendToLog(const QByteArray& displayText);

signals:
    // Around the dialogue with the modem, so a watcher holding the check port can lend it.
    void starting();
    void finished();
    // The check's result, before it is logged and remembered.
    void outcome(const CheckOutcome& outcome);
    // A check's line could not be appended to the call log; the result is shown
    // but not remembered as the previous one, so the next check logs it again.
    void logWriteFailed(const QString& description);
    // A check that was asked for during another is due now.
    void checkWanted(CheckTrigger trigger);

private:
    void conclude(const QByteArray& displayText, const QString& name, CheckTrigger trigger);
    void finish();

    SettingsRecord& m_settings;
    CMSComm& m_comm;
    StatusWait& m_wait;
    std::optional<CheckTrigger> m_waiting;
    bool m_running = false;
};
