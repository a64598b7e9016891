#pragma once

#include <QByteArray>
#include <QObject>
#include <QSerialPort>
#include <QString>
#include <QTimer>

#include <cstdint>
#include <memory>

// One serial port and the modem behind it, with one owner in the whole
// program: the check and the ring watcher both talk through the same line
// when they name the same device, so the device is opened once, DTR raised
// once, and nothing is missed while one of them is busy.
//
// Principles of operation:
// - Holders (the check, the watcher) open and close the line; the port stays
//   open while anyone holds it.
// - Every open raises DTR and sends the open command (the ring command), so a
//   modem that lost power is told again when it comes back.
// - Every byte received is read at once and handed out as `received`; a check
//   that is collecting a reply also gets it into its reply buffer (bounded).
// - A line that goes away is closed once, after the serial library has
//   returned, and `lost` is said once. While the watcher holds the line it is
//   opened again every retry interval until it comes back.
// - Everything sent and received is traced in the category "ringlet.modem".
class ModemLine : public QObject
{
    Q_OBJECT

public:
    // Probe: finding out what the modem is, while the configuration is open.
    enum Holder : unsigned { Check = 1, Watcher = 2, Probe = 4 };

    // A check's reply is bounded: a modem that floods the line cannot grow memory past this.
    static constexpr qsizetype ReplyLimit = 64 * 1024;
    static constexpr int DefaultRetryMs = 3000;

    // The line of the device `name` opens ("ttyUSB0", "/dev/ttyUSB0" and a
    // by-id link to it are one line), made when nobody holds one yet.
    static std::shared_ptr<ModemLine> forPort(const QString& name);

    ~ModemLine() override;

    QString portName() const { return m_name; }

    // Whether `line` (trimmed) is a final result code that ends a command's
    // answer, verbal or numeric; `ok` says whether it is success.
    static bool isFinalResult(const QByteArray& line, bool* ok);

    // "115200,n,8,1": baud, parity letter (n e o m s), data bits (5-8), stop bits (1, 1.5, 2).
    static bool isValidLineSettings(const QString& text);
    // Kept for the next open, and put on the port at once while it is open;
    // false when the text does not parse or the port refuses it (openError() says why).
    bool setLineSettings(const QString& text);
    int baudRate() const { return m_port.baudRate(); }

    // Sent with CR LF on every open; empty: nothing is sent.
    void setOpenCommand(const QByteArray& command) { m_openCommand = command; }
    void setRetryMs(int ms) { m_retry.setInterval(ms); }

    // Opens the port for `who` unless it is open already; false, with
    // openError() set, when it would not open. A watcher's failed open is
    // tried again every retry interval.
    bool open(Holder who);
    // `who` lets go; the port closes when nobody holds it any more.
    void close(Holder who);
    bool isOpen() const { return m_port.isOpen(); }
    bool isHeldBy(Holder who) const { return m_holders & who; }
    // Gives up trying again for the watcher (a name that can never be a serial port).
    void stopRetrying() { m_retry.stop(); }
    bool isRetrying() const { return m_retry.isActive(); }
    // The serial library's reason for the last failed open or refused setting.
    QString openError() const { return m_openError; }
    // The sentence the user reads when the port would not open: the cause found and what to do.
    QString openFailure() const;
    // The diagnosis said that the name can never be a serial port.
    bool isNeverSerial() const;

    // Queues the bytes and writes what the line takes at once; the rest goes
    // from the event loop. False when the port refused them.
    bool send(const QByteArray& bytes);
    qint64 bytesToSend() const { return m_port.bytesToWrite(); }
    // What the line did not take must not reach the modem later.
    void dropUnsent();

    // A check's reply: collected from now on, while the port stays open;
    // takeReply() hands over what came so far. `discardPending`: what came
    // before goes from every buffer (only where nobody else reads the line).
    void startReply(bool discardPending);
    QByteArray takeReply();
    // A check or a probe has the line's input as its reply now (from its
    // command until it lets go): none of it is an announcement.
    bool isCarryingReply() const { return m_collecting || (m_holders & Probe); }

    // The port's native handle, for the ring-indicator pin reader.
    std::intptr_t nativeHandle() const;

signals:
    // The port opened (the first holder, or the watcher's retry succeeded).
    void opened();
    void received(const QByteArray& bytes);
    // The line went away while open; said once per loss, after the port is closed.
    void lost();
    // Everything queued by send() has gone out.
    void allSent();

private:
    explicit ModemLine(const QString& name);

    bool openPort();
    void readAll();
    void handleError(QSerialPort::SerialPortError error);
    void closeAfterLoss();
    void retry();

    QString m_name;
    QSerialPort m_port;
    QString m_lineSettings;
    QByteArray m_openCommand;
    QString m_openError;
    QByteArray m_reply;
    QTimer m_retry;
    unsigned m_holders = 0;
    bool m_collecting = false;
    bool m_closeScheduled = false;
};
