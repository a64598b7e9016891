#pragma once

#include <QByteArray>
#include <QDeadlineTimer>
#include <QObject>
#include <QSerialPort>
#include <QString>

// The serial communications component: the seven operations the program uses,
// over QSerialPort. Operations the port refuses raise RingletError with
// QSerialPort's own description.
class CMSComm : public QObject
{
    Q_OBJECT

public:
    // Input is bounded: a modem that floods the line cannot grow memory past this.
    static constexpr qint64 InputBufferSize = 64 * 1024;
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
    void SetPortName(const QString& name);
    QString portName() const;

    void SetPortOpen(bool open);
    bool GetPortOpen() const;

    // "115200,n,8,1": baud, parity letter (n e o m s), data bits (5-8), stop bits (1, 1.5, 2).
    // Raises RingletError when the text does not parse. "9600,n,8,1" before any put.
    void SetSettings(const QString& settings);
    QString settings() const;

    // Queues the bytes exactly as they stand and returns at once; they go out
    // while the event loop runs. Input received and not yet read is dropped first.
    void SetOutput(const QByteArray& bytes);
    // Returns every byte received and not yet read, and consumes it. Raises when
    // the bytes of the last SetOutput could not all be sent in their time.
    QByteArray GetInput();

    // Puts line settings in the form of SetSettings on another port, e.g. one
    // watched for rings; false when the text does not parse or the port refuses it.
    static bool applyLineSettings(QSerialPort& port, const QString& settings);

private:
    struct LineSettings;
    void handleError(QSerialPort::SerialPortError error);
    void closeAfterError();
    void discardInput();
    int sendTimeMs(qsizetype bytes) const;
    void waitUntilSent();
    void raisePendingError();
    void requireOpen() const;

    QSerialPort m_port;
    qint16 m_commPort = 1;
    QString m_portName;
    QString m_settings;
    QString m_pendingError; // a failure seen while idle, raised by the next operation
    QDeadlineTimer m_sendDeadline;
    bool m_closeScheduled = false;
};
