#pragma once

#include "CallerIdLines.h"
#include "RingCallRule.h"
#include "RingLines.h"
#include "link/RingPin.h"

#include <QElapsedTimer>
#include <QObject>
#include <QSerialPort>
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
// While armed the port is held open. A port that cannot be opened, or that goes
// away (a USB modem unplugged), is reported once and then tried again quietly
// every few seconds until it opens. When the ring port is also the check port,
// the watcher lends it to the check and takes it back right after.
class RingTrigger : public QObject
{
    Q_OBJECT

public:
    static constexpr int RetryMs = 3000;
    static constexpr int PinPollMs = 250;

    struct Settings
    {
        QString ringPort;     // a port name as listed, or a device path; empty or "NA": none
        QString lineSettings; // "115200,n,8,1"
        QString checkPort;    // the port checks use, lent to them when it is the ring port
        // The two below may be left out of a braced initialiser ({} keeps that free of warnings).
        QString marker{};     // the text before the number in a check's reply; a line holding it announces
        // Sent with CR LF on every open of the port (modems forget AT+VCID=1 when
        // they lose power); empty: nothing is sent. The reply is not needed.
        QString ringCommand{};
    };

    // `pin`: the RI pin reader; the platform's when null.
    explicit RingTrigger(std::unique_ptr<RingPin> pin = nullptr, QObject* parent = nullptr);
    ~RingTrigger() override;

    // Starts watching; a failure is reported through `problem`.
    void arm(const Settings& settings);
    // Stops watching and closes the port.
    void disarm();
    bool isArmed() const { return m_armed; }
    bool isWatching() const { return m_port.isOpen(); }
    // Waiting for a port that would not open, trying it again every RetryMs.
    bool isRetrying() const { return m_retryTimer.isActive(); }
    // True from lendPort() until takePortBack(): the check has the port.
    bool hasLentPort() const { return m_lent; }

    // Around every check: the port is closed for it when it is the check port,
    // and opened again afterwards.
    void lendPort();
    void takePortBack();

signals:
    void checkWanted();
    // The call's caller ID, as the modem announced it: the number (or the words
    // Private or Unavailable) and the name, empty when none came.
    void announced(const QByteArray& number, const QString& name);
    // A failure the user must know of, in words, said once.
    void problem(const QString& text);

private:
    bool openPort();
    void closePort();
    void retry();
    void readLines();
    void onLine(const QByteArray& line);
    void pollPin();
    void onRing();
    void onCallTimer();
    void followRule(RingCallRule::Action action);
    void requestCheck();
    void announce();
    void handleError(QSerialPort::SerialPortError error);
    void closeAfterLoss();

    std::unique_ptr<RingPin> m_pin;
    QSerialPort m_port;
    Settings m_settings;
    QString m_openError; // the serial library's reason for the last failed open
    RingLineReader m_lines;
    CallerIdLines m_callerId;
    RingCallRule m_rule;
    QElapsedTimer m_clock;
    QTimer m_retryTimer;
    QTimer m_pinTimer;
    QTimer m_callTimer;
    bool m_armed = false;
    bool m_lent = false;
    bool m_pinWasOn = false;
    bool m_closeScheduled = false;
};
