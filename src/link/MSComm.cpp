#include "MSComm.h"

#include "base/RingletError.h"

namespace {
const QString DefaultSettings = QStringLiteral("9600,n,8,1");

[[noreturn]] void raise(const QString& description)
{
    throw RingletError(description);
}
} // namespace

CMSComm::CMSComm(QObject* parent) : QObject(parent)
{
    SetSettings(DefaultSettings);
}

CMSComm::~CMSComm()
{
    if (m_line && m_open)
        m_line->close(ModemLine::Check);
}

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
    if (name == m_portName && m_line)
        return;
    if (m_open)
        SetPortOpen(false);
    disconnect(m_lostConnection);
    disconnect(m_sentConnection);
    m_portName = name;
    m_line.reset();
    if (name.trimmed().isEmpty() || name == QLatin1String("NA"))
        return;
    m_line = ModemLine::forPort(name);
    m_lostConnection = connect(m_line.get(), &ModemLine::lost, this, &CMSComm::onLineLost);
    m_sentConnection = connect(m_line.get(), &ModemLine::allSent, this, &CMSComm::sent);
}

QString CMSComm::portName() const
{
    return m_portName;
}

void CMSComm::SetPortOpen(bool open)
{
    m_pendingError.clear();
    if (!open) {
        if (m_open && m_line)
            m_line->close(ModemLine::Check);
        m_open = false;
        return;
    }
    if (GetPortOpen())
        return;
    if (!m_line)
        raise(tr("No serial port is chosen. Choose one in the configuration."));
    m_line->setLineSettings(m_settings);
    if (!m_line->open(ModemLine::Check)) {
        m_line->close(ModemLine::Check);
        m_open = false;
        raise(m_line->openFailure());
    }
    m_open = true;
}

bool CMSComm::GetPortOpen() const
{
    return m_open && m_line && m_line->isOpen();
}

void CMSComm::SetSettings(const QString& settings)
{
    if (!ModemLine::isValidLineSettings(settings))
        raise(tr("Invalid line settings \"%1\": expected baud rate, parity (n, e, o, m, s), data bits (5-8) "
                 "and stop bits (1, 1.5, 2), for example \"115200,n,8,1\".")
                  .arg(settings));
    if (m_line && !m_line->setLineSettings(settings))
        raise(tr("The serial port %1 refused the line settings \"%2\": %3.")
                  .arg(m_portName, settings, m_line->openError()));
    m_settings = settings;
}

QString CMSComm::settings() const
{
    return m_settings;
}

void CMSComm::SetOutput(const QByteArray& bytes)
{
    raisePendingError();
    requireOpen();
    // Only a line the watcher does not read may lose what came before.
    m_line->startReply(!m_line->isHeldBy(ModemLine::Watcher));
    // What the line takes now goes at once; the rest goes from the event loop,
    // during the wait that follows. The program never stops for a slow line.
    m_sendDeadline = QDeadlineTimer(sendTimeMs(bytes.size()));
    if (!m_line->send(bytes))
        raise(tr("Cannot send to the serial port %1: %2.").arg(m_portName, m_line->openError()));
}

bool CMSComm::isSending() const
{
    return GetPortOpen() && m_line->bytesToSend() > 0 && !m_sendDeadline.hasExpired();
}

int CMSComm::sendTimeLeftMs() const
{
    return int(qMax<qint64>(0, m_sendDeadline.remainingTime()));
}

// The bytes' own time on the line at its baud rate (ten bits a character), with
// room for a modem that holds the line back for a moment; never past MaxSendMs.
int CMSComm::sendTimeMs(qsizetype bytes) const
{
    const qint64 lineMs = qint64(bytes) * 10 * 1000 / qMax<qint32>(1, m_line ? m_line->baudRate() : 9600);
    return int(qMin<qint64>(MinSendMs + lineMs, MaxSendMs));
}

QByteArray CMSComm::GetInput()
{
    raisePendingError();
    requireOpen();
    if (m_line->bytesToSend() > 0) {
        // What the line did not take must not reach the modem later, in the
        // middle of another check: it is dropped from every buffer.
        m_line->dropUnsent();
        raise(tr("Cannot send to the serial port %1: the line does not take the data.").arg(m_portName));
    }
    return m_line->takeReply();
}

void CMSComm::requireOpen() const
{
    if (!GetPortOpen())
        raise(tr("The serial port %1 is not open.").arg(m_portName));
}

void CMSComm::raisePendingError()
{
    if (m_pendingError.isEmpty())
        return;
    const QString description = m_pendingError;
    SetPortOpen(false);
    raise(description);
}

// The library's text is not given: after a hang-up it is often an errno left
// over from an earlier non-blocking read ("Resource temporarily unavailable"),
// which would mislead.
void CMSComm::onLineLost()
{
    if (m_open && m_pendingError.isEmpty())
        m_pendingError = tr("The connection on the serial port %1 was lost.").arg(m_portName);
}

// Compiled here rather than in the shared moc unit, so users of this class link only what it needs.
#include "moc_MSComm.cpp"
