#pragma once

#include "CallerIdLines.h"
#include "RingCallRule.h"
#include "RingLines.h"
#include "link/ModemLine.h"
#include "link/RingPin.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>

#include <memory>

// Watches a serial port for incoming calls: the modem's ring result lines and,
// where the driver reports it, the ring-indicator pin, and the caller ID a
// modem announces by itself between rings. Each call comes out once: as its
// announcement (`announced`) or, when the modem announces nothing, as a wish
// for a query check (`checkWanted`). Knows nothing of the window that runs the
// checks.
//
// While armed it holds the port's modem line open. A port that cannot be
// opened, or that goes away (a USB modem unplugged), is reported once and
// then tried again quietly every few seconds until it opens. When the ring
// port is also the check port, the two share the one line: the check's
// reply and the rings come in on it side by side.
class RingTrigger : public QObject
{
    Q_OBJECT

public:
    static constexpr int RetryMs = ModemLine::DefaultRetryMs;
    static constexpr int PinPollMs = 250;

    // How long it waits; tests shorten them.
    struct Timings
    {
        int retryMs = RetryMs;
        int pinPollMs = PinPollMs;
        RingCallRule::Timings call{};
    };

    struct Settings
    {
        QString ringPort;     // a port name as listed, or a device path; empty or "NA": none
        QString lineSettings; // "115200,n,8,1"
        QString checkPort;    // the port checks use; when it is the ring port the two share one line
        // The two below may be left out of a braced initialiser ({} keeps that free of warnings).
        QString marker{};     // the text before the number in a check's reply; a line holding it announces
        // Sent with CR LF on every open of the port (modems forget AT+VCID=1 when
        // they lose power); empty: nothing is sent. The reply is not needed.
        QString ringCommand{};
        // The modem answers the last-caller query with ERROR: a call that
        // brings no caller ID is told as such, not asked about.
        bool queryRefused{};
    };

    // `pin`: the RI pin reader; the platform's when null.
    explicit RingTrigger(std::unique_ptr<RingPin> pin = nullptr, QObject* parent = nullptr);
    ~RingTrigger() override;

    // Takes effect at the next arm().
    void setTimings(const Timings& timings) { m_timings = timings; }

    // Starts watching; a failure is reported through `problem`.
    void arm(const Settings& settings);
    // Stops watching and lets go of the line.
    void disarm();
    bool isArmed() const { return m_armed; }
    bool isWatching() const { return m_armed && m_line && m_line->isOpen(); }
    // Waiting for a port that would not open, trying it again every retry interval.
    bool isRetrying() const { return m_line && m_line->isRetrying(); }
    // Whether checks on `checkPort` go over the line this watcher reads.
    bool sharesLineWith(const QString& checkPort) const;
    // The line it watches, while armed: a hang-up goes out on it.
    std::shared_ptr<ModemLine> line() const { return m_armed ? m_line : nullptr; }
    // Sends the ring command again, as after every check on the shared line,
    // so that a modem that forgot it is told again.
    void tellModemAgain();
    // Calls in a row that rang with no caller ID while a ring command is set.
    int callsWithoutCallerId() const { return m_callsWithoutCallerId; }

signals:
    void checkWanted();
    // The call's caller ID, as the modem announced it: the number (or the words
    // Private or Unavailable) and the name, empty when none came.
    void announced(const QByteArray& number, const QString& name);
    // A failure the user must know of, in words, said once.
    void problem(const QString& text);

private:
    void onOpened();
    void onLost();
    void readLines(const QByteArray& bytes);
    void onLine(const QByteArray& line);
    void pollPin();
    void onRing();
    void onCallTimer();
    void followRule(RingCallRule::Action action);
    void requestCheck();
    void announce();
    void noteCallerIdCame(bool came);

    std::unique_ptr<RingPin> m_pin;
    std::shared_ptr<ModemLine> m_line;
    Timings m_timings;
    Settings m_settings;
    RingLineReader m_lines;
    CallerIdLines m_callerId;
    RingCallRule m_rule;
    QElapsedTimer m_clock;
    QTimer m_pinTimer;
    QTimer m_callTimer;
    bool m_armed = false;
    bool m_pinWasOn = false;
    int m_callsWithoutCallerId = 0;
    bool m_forgettingSaid = false;
};
