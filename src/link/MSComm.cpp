#include "MSComm.h"

#include "PortOpenMessage.h"
#include "base/RingletError.h"

#include <QEventLoop>
#include <QFile>
#include <QStringList>
#include <QTimer>

#include <algorithm>
#include <optional>

namespace {
const QString DefaultSettings = QStringLiteral("9600,n,8,1");

[[noreturn]] void raise(const QString& description)
{
    throw RingletError(description);
}
} // namespace

struct CMSComm::LineSettings
{
    qint32 baudRate = 9600;
    QSerialPort::Parity parity = QSerialPort::NoParity;
    QSerialPort::DataBits dataBits = QSerialPort::Data8;
    QSerialPort::StopBits stopBits = QSerialPort::OneStop;

    static std::optional<LineSettings> parse(const QString& text);
};

std::optional<CMSComm::LineSettings> CMSComm::LineSettings::parse(const QString& text)
{
    const QStringList fields = text.split(QLatin1Char(','));
    if (fields.size() != 4)
        return std::nullopt;
    const QString baud = fields[0].trimmed();
    const QString parity = fields[1].trimmed().toLower();
    const QString dataBits = fields[2].trimmed();
    const QString stopBits = fields[3].trimmed();

    LineSettings line;
    const bool digitsOnly = std::all_of(baud.begin(), baud.end(), [](QChar c) { return c.isDigit(); });
    bool ok = false;
    line.baudRate = baud.toInt(&ok);
    if (!digitsOnly || !ok || line.baudRate <= 0)
        return std::nullopt;

    static const QString parityLetters = QStringLiteral("neoms");
    static const QSerialPort::Parity parities[] = {QSerialPort::NoParity, QSerialPort::EvenParity,
                                                   QSerialPort::OddParity, QSerialPort::MarkParity,
                                                   QSerialPort::SpaceParity};
    const qsizetype parityIndex = parity.size() == 1 ? parityLetters.indexOf(parity) : -1;
    if (parityIndex < 0)
        return std::nullopt;
    line.parity = parities[parityIndex];

    static const QStringList dataBitTexts{QStringLiteral("5"), QStringLiteral("6"), QStringLiteral("7"),
                                          QStringLiteral("8")};
    const qsizetype dataIndex = dataBitTexts.indexOf(dataBits);
    if (dataIndex < 0)
        return std::nullopt;
    line.dataBits = static_cast<QSerialPort::DataBits>(QSerialPort::Data5 + dataIndex);

    if (stopBits == QLatin1String("1"))
        line.stopBits = QSerialPort::OneStop;
    else if (stopBits == QLatin1String("1.5"))
        line.stopBits = QSerialPort::OneAndHalfStop;
    else if (stopBits == QLatin1String("2"))
        line.stopBits = QSerialPort::TwoStop;
    else
        return std::nullopt;
    return line;
}

CMSComm::CMSComm(QObject* parent) : QObject(parent)
{
    // A flooding modem fills this buffer and then waits in the kernel's, so memory stays bounded.
    m_port.setReadBufferSize(InputBufferSize);
    connect(&m_port, &QSerialPort::errorOccurred, this, &CMSComm::handleError);
    SetSettings(DefaultSettings);
}

CMSComm::~CMSComm() = default;

void CMSComm::SetCommPort(qint16 number)
{
    m_commPort = number;
}

qint16 CMSComm::GetCommPort() const
{
    return m_commPort;
}

void CMSComm::SetPortName(const QString& name)
{
    m_portName = name;
}

QString CMSComm::portName() const
{
    return m_portName;
}

void CMSComm::SetPortOpen(bool open)
{
    m_pendingError.clear();
    m_closeScheduled = false;
    if (!open) {
        m_port.close();
        return;
    }
    if (m_port.isOpen())
        return;
    if (m_portName.trimmed().isEmpty() || m_portName == QLatin1String("NA"))
        raise(tr("No serial port is chosen. Choose one in the configuration."));

    m_port.setPortName(m_portName);
    if (!m_port.open(QIODevice::ReadWrite)) {
        const QString reason = m_port.errorString();
        m_port.clearError();
        raise(portOpenMessage(m_portName, diagnosePort(QFile::encodeName(m_portName).toStdString()), reason));
    }
    // Modems may ignore commands while DTR is low. Pseudo-terminals refuse this ioctl;
    // the line works without it, so a refusal is not an error.
    m_port.setDataTerminalReady(true);
    m_port.clearError();
}

bool CMSComm::GetPortOpen() const
{
    return m_port.isOpen();
}

void CMSComm::SetSettings(const QString& settings)
{
    const std::optional<LineSettings> line = LineSettings::parse(settings);
    if (!line)
        raise(tr("Invalid line settings \"%1\": expected baud rate, parity (n, e, o, m, s), data bits (5-8) "
                 "and stop bits (1, 1.5, 2), for example \"115200,n,8,1\".")
                  .arg(settings));
    // While the port is closed these are kept for the next open; while open they apply at once.
    const bool applied = m_port.setBaudRate(line->baudRate) && m_port.setParity(line->parity) &&
                         m_port.setDataBits(line->dataBits) && m_port.setStopBits(line->stopBits);
    if (!applied) {
        const QString reason = m_port.errorString();
        m_port.clearError();
        raise(tr("The serial port %1 refused the line settings \"%2\": %3.").arg(m_portName, settings, reason));
    }
    m_settings = settings;
}

bool CMSComm::applyLineSettings(QSerialPort& port, const QString& settings)
{
    const std::optional<LineSettings> line = LineSettings::parse(settings);
    return line && port.setBaudRate(line->baudRate) && port.setParity(line->parity) &&
           port.setDataBits(line->dataBits) && port.setStopBits(line->stopBits);
}

QString CMSComm::settings() const
{
    return m_settings;
}

void CMSComm::SetOutput(const QByteArray& bytes)
{
    raisePendingError();
    requireOpen();
    discardInput();
    // What the line takes now goes at once; the rest goes from the event loop,
    // during the wait that follows. The program never stops for a slow line.
    m_sendDeadline = QDeadlineTimer(sendTimeMs(bytes.size()));
    if (m_port.write(bytes) != bytes.size()) {
        const QString reason = m_port.errorString();
        m_port.clearError();
        raise(tr("Cannot send to the serial port %1: %2.").arg(m_portName, reason));
    }
    // A line that fails here is reported by the error handler, and raised by the next operation.
    m_port.flush();
}

// The bytes' own time on the line at its baud rate (ten bits a character), with
// room for a modem that holds the line back for a moment; never past MaxSendMs.
int CMSComm::sendTimeMs(qsizetype bytes) const
{
    const qint64 lineMs = qint64(bytes) * 10 * 1000 / qMax<qint32>(1, m_port.baudRate());
    return int(qMin<qint64>(MinSendMs + lineMs, MaxSendMs));
}

// Lets the event loop send what is still queued, until it is out or the send's
// time is up. Events go on being handled meanwhile, as in any wait of a check.
void CMSComm::waitUntilSent()
{
    if (m_port.bytesToWrite() == 0)
        return;
    QEventLoop loop;
    QTimer deadline;
    deadline.setSingleShot(true);
    connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
    connect(&m_port, &QSerialPort::bytesWritten, &loop, [this, &loop] {
        if (m_port.bytesToWrite() == 0)
            loop.quit();
    });
    connect(&m_port, &QSerialPort::aboutToClose, &loop, &QEventLoop::quit);
    deadline.start(int(qMax<qint64>(0, m_sendDeadline.remainingTime())));
    loop.exec();
}

// Input that arrives before a command is sent cannot be its answer: it goes,
// from QSerialPort's buffer and from the system's.
void CMSComm::discardInput()
{
    m_port.readAll();
    m_port.clear(QSerialPort::Input);
    m_port.clearError();
}

QByteArray CMSComm::GetInput()
{
    raisePendingError();
    requireOpen();
    waitUntilSent();
    raisePendingError();
    requireOpen();
    if (m_port.bytesToWrite() > 0) {
        // What the line did not take must not reach the modem later, in the
        // middle of another check: it is dropped from every buffer.
        m_port.clear(QSerialPort::Output);
        m_port.clearError();
        raise(tr("Cannot send to the serial port %1: the line does not take the data.").arg(m_portName));
    }
    // Take what the kernel holds now too, not only what the event loop has fetched.
    while (m_port.bytesAvailable() < InputBufferSize && m_port.waitForReadyRead(0)) {
    }
    if (m_port.error() == QSerialPort::TimeoutError)
        m_port.clearError();
    raisePendingError();
    return m_port.readAll();
}

void CMSComm::requireOpen() const
{
    if (!m_port.isOpen())
        raise(tr("The serial port %1 is not open.").arg(m_portName));
}

void CMSComm::raisePendingError()
{
    if (m_pendingError.isEmpty())
        return;
    const QString description = m_pendingError;
    m_pendingError.clear();
    m_closeScheduled = false;
    m_port.close();
    raise(description);
}

void CMSComm::handleError(QSerialPort::SerialPortError error)
{
    if (error != QSerialPort::ReadError && error != QSerialPort::ResourceError && error != QSerialPort::WriteError)
        return;
    // A line that went away keeps reporting the error on every turn of the event loop, so the
    // port is closed once (after QSerialPort has returned) and one error waits for the caller.
    // The library's text is not given: after a hang-up it is often an errno left over from
    // an earlier non-blocking read ("Resource temporarily unavailable"), which would mislead.
    if (m_pendingError.isEmpty())
        m_pendingError = tr("The connection on the serial port %1 was lost.").arg(m_portName);
    if (!m_closeScheduled && m_port.isOpen()) {
        m_closeScheduled = true;
        QTimer::singleShot(0, this, &CMSComm::closeAfterError);
    }
}

void CMSComm::closeAfterError()
{
    if (!m_closeScheduled)
        return;
    m_closeScheduled = false;
    m_port.close();
}

// Compiled here rather than in the shared moc unit, so users of this class link only what it needs.
#include "moc_MSComm.cpp"
