#pragma once

#include "ModemLine.h"

#include <QByteArray>
#include <QDeadlineTimer>
#include <QObject>
#include <QString>

#include <memory>

// The serial communications component: the seven operations a check uses,
// as the check's face over the modem line of its port. Operations the port
// refuses raise RingletError with a description the user can act on.
//
// The component's PortOpen is the check's own: a line that the ring watcher
// holds open stays open when the check closes its face, and a check on it
// still opens its face first.
class CMSComm : public QObject
{
    Q_OBJECT

public:
    // A send may take its bytes' time on the line plus MinSendMs, at most
    // MaxSendMs: long enough for a command at 300 baud, short enough that a
    // stuck line is reported soon.
    static constexpr int MinSendMs = 2000;
    static constexpr int MaxSendMs = 5000;

    explicit CMSComm(QObject* parent = nullptr);
    ~CMSComm() override;

    // The port number, kept for the configuration dialog's preselection.
    // Reports 1 before any put.
    void SetCommPort(qint16 number);
    qint16 GetCommPort() const;

    // Device names carry no unique number outside Windows, so the port is opened
    // by name: "ttyUSB0", "COM1", "/dev/ttyACM0", a by-id link or a pseudo-terminal.
    // Taken while the port is closed; it names the line the next open uses.
    void SetPortName(const QString& name);
    QString portName() const;
    // The line of the port named, shared with whoever else uses the same device.
    std::shared_ptr<ModemLine> line() const { return m_line; }

    void SetPortOpen(bool open);
    bool GetPortOpen() const;

    // "115200,n,8,1": baud, parity letter (n e o m s), data bits (5-8), stop bits (1, 1.5, 2).
    // Raises RingletError when the text does not parse. "9600,n,8,1" before any put.
    void SetSettings(const QString& settings);
    QString settings() const;

    // Queues the bytes exactly as they stand and returns at once; they go out
    // while the event loop runs. Input received before is not part of the reply.
    void SetOutput(const QByteArray& bytes);
    // True while bytes of the last SetOutput wait for the line and their time is not up.
    bool isSending() const;
    // Milliseconds left of the last send's time.
    int sendTimeLeftMs() const;
    // Returns every byte received since the last SetOutput and not yet read,
    // and consumes it. Raises when the bytes of the last SetOutput could not
    // all be sent in their time.
    QByteArray GetInput();

signals:
    // The last SetOutput's bytes have all gone out.
    void sent();

private:
    void onLineLost();
    int sendTimeMs(qsizetype bytes) const;
    void raisePendingError();
    void requireOpen() const;

    std::shared_ptr<ModemLine> m_line;
    QMetaObject::Connection m_lostConnection;
    QMetaObject::Connection m_sentConnection;
    qint16 m_commPort = 1;
    QString m_portName;
    QString m_settings;
    QString m_pendingError; // a failure seen while idle, raised by the next operation
    QDeadlineTimer m_sendDeadline;
    bool m_open = false;
};
