#pragma once

#include "CheckOutcome.h"
#include "CheckTrigger.h"

#include <QByteArray>
#include <QObject>
#include <QTimer>

#include <functional>
#include <optional>

class CMSComm;
class StatusWait;
struct SettingsRecord;

// The check: one whole dialogue with the modem, from opening the port to
// logging, as a sequence of steps the event loop drives: open the port (and
// wait a second), send the command (and wait a second), read the reply, close
// the port, show and log what it held. It works on the settings record and
// the serial component it is given, waits through the StatusWait it is given,
// and tells what it came to through outcome() or failed(); it knows nothing
// of the window that shows it.
class CheckCycle : public QObject
{
    Q_OBJECT

public:
    // Each step's wait, the modem's time to answer; tests shorten it.
    static constexpr int StepMs = 1000;

    CheckCycle(SettingsRecord& settings, CMSComm& comm, StatusWait& wait, QObject* parent = nullptr);

    void setStatusWait(StatusWait& wait) { m_wait = &wait; }
    void setStepMs(int ms) { m_stepMs = ms; }
    // Whether the call a result stands for is hung up on: its outcome says so,
    // and the log marks it (see CallLog::HungUpMark). None: nobody is.
    using BlockRule = std::function<bool(const QString& displayText, CheckTrigger trigger, CallSource source)>;
    void setBlockRule(BlockRule rule) { m_blockRule = std::move(rule); }

    // Starts one check and returns at once; it ends with finished(), after
    // outcome() or failed(). Asked for while another check runs, it runs once
    // that one has ended: checkWanted() then asks for it. One waits at most;
    // further requests add nothing.
    void run(CheckTrigger trigger);
    bool isRunning() const { return m_running; }

    // A call's caller ID as the modem announced it between rings: that is the
    // call's check. The number is shown, logged and remembered as a check's
    // result is, with no dialogue on the port and no wait.
    void takeAnnouncement(const QByteArray& number, const QString& name);
    // A call another desk's server told of: taken as an announcement is.
    void takeOtherDeskCall(const QByteArray& number, const QString& name);

    // Appends the display text to the call log, unless it is a repeat to skip.
    // Raises RingletError when the line cannot be written.
    void appendToLog(const QByteArray& displayText);

signals:
    void starting();
    // A step's status text, as its wait starts ("Opening COM port...", "Sending Command...").
    void stepStarted(const QString& statusText);
    void finished();
    // The check's result, before it is logged and remembered.
    void outcome(const CheckOutcome& outcome);
    // The modem could not be reached: the check was abandoned at that step,
    // nothing shown, logged or remembered. After finished().
    void failed(CheckTrigger trigger, const QString& description);
    // A check's line could not be appended to the call log; the result is shown
    // but not remembered as the previous one, so the next check logs it again.
    void logWriteFailed(const QString& description);
    // A check that was asked for during another is due now.
    void checkWanted(CheckTrigger trigger);

private:
    void attempt(const std::function<void()>& step);
    void waitThen(const char* statusText, void (CheckCycle::*next)());
    void sendCommand();
    void awaitSent();
    void readReply();
    void conclude(const QByteArray& displayText, const QString& name, CheckTrigger trigger, CallSource source);
    void finish();

    SettingsRecord& m_settings;
    BlockRule m_blockRule;
    CMSComm& m_comm;
    StatusWait* m_wait;
    int m_stepMs = StepMs;
    CheckTrigger m_trigger = CheckTrigger::Button;
    std::optional<CheckTrigger> m_waiting;
    QTimer m_sendTimer;
    QMetaObject::Connection m_sentConnection;
    bool m_running = false;
};
