#include "ModemLine.h"

#include "ModemTrace.h"
#include "PortDiagnosis.h"
#include "PortName.h"
#include "PortOpenMessage.h"

#include <QFile>
#include <QStringList>

#include <algorithm>
#include <optional>
#include <type_traits>
#include <utility>
#include <vector>

namespace {
// Enough for any result line several times over; a flood waits in the kernel's buffer.
constexpr qint64 ReadBufferSize = 4096;

struct LineSettings
{
    qint32 baudRate = 9600;
    QSerialPort::Parity parity = QSerialPort::NoParity;
    QSerialPort::DataBits dataBits = QSerialPort::Data8;
    QSerialPort::StopBits stopBits = QSerialPort::OneStop;
};

std::optional<LineSettings> parseLineSettings(const QString& text)
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

// The port's handle as the pin reader takes it: a descriptor here, a HANDLE on Windows.
template <typename Handle> std::intptr_t toIntPtr(Handle handle)
{
    if constexpr (std::is_pointer_v<Handle>)
        return reinterpret_cast<std::intptr_t>(handle);
    else
        return static_cast<std::intptr_t>(handle);
}

// Every line alive, so that two names of one device get the one line.
std::vector<std::weak_ptr<ModemLine>>& liveLines()
{
    static std::vector<std::weak_ptr<ModemLine>> lines;
    return lines;
}
} // namespace

std::shared_ptr<ModemLine> ModemLine::forPort(const QString& name)
{
    auto& lines = liveLines();
    lines.erase(std::remove_if(lines.begin(), lines.end(), [](const auto& line) { return line.expired(); }),
                lines.end());
    for (const std::weak_ptr<ModemLine>& weak : lines) {
        std::shared_ptr<ModemLine> line = weak.lock();
        if (line && (line->m_name == name || isSamePort(line->m_name, name)))
            return line;
    }
    std::shared_ptr<ModemLine> line(new ModemLine(name));
    lines.push_back(line);
    return line;
}

ModemLine::ModemLine(const QString& name) : m_name(name)
{
    m_port.setPortName(name);
    m_port.setReadBufferSize(ReadBufferSize);
    m_retry.setInterval(DefaultRetryMs);
    connect(&m_port, &QSerialPort::readyRead, this, &ModemLine::readAll);
    connect(&m_port, &QSerialPort::errorOccurred, this, &ModemLine::handleError);
    connect(&m_port, &QSerialPort::bytesWritten, this, [this] {
        if (m_port.bytesToWrite() == 0)
            emit allSent();
    });
    connect(&m_retry, &QTimer::timeout, this, &ModemLine::retry);
}

ModemLine::~ModemLine() = default;

bool ModemLine::isFinalResult(const QByteArray& line, bool* ok)
{
    *ok = line == "OK" || line == "0";
    return *ok || line == "ERROR" || line == "4" || line.startsWith("+CME ERROR") || line == "NO CARRIER";
}

bool ModemLine::isValidLineSettings(const QString& text)
{
    return parseLineSettings(text).has_value();
}

bool ModemLine::setLineSettings(const QString& text)
{
    const std::optional<LineSettings> line = parseLineSettings(text);
    if (!line)
        return false;
    // While the port is closed these are kept for the next open; while open they apply at once.
    const bool applied = m_port.setBaudRate(line->baudRate) && m_port.setParity(line->parity) &&
                         m_port.setDataBits(line->dataBits) && m_port.setStopBits(line->stopBits);
    if (!applied) {
        m_openError = m_port.errorString();
        m_port.clearError();
        return false;
    }
    m_lineSettings = text;
    return true;
}

bool ModemLine::open(Holder who)
{
    m_holders |= who;
    if (m_port.isOpen())
        return true;
    if (openPort())
        return true;
    if (who == Watcher && !isNeverSerial())
        m_retry.start();
    return false;
}

void ModemLine::close(Holder who)
{
    m_holders &= ~unsigned(who);
    if (who == Check)
        m_collecting = false;
    if (!(m_holders & Watcher))
        m_retry.stop();
    if (m_holders != 0 || !m_port.isOpen())
        return;
    traceModem(m_name, "--", "closed");
    m_closeScheduled = false;
    m_collecting = false;
    m_port.close();
}

bool ModemLine::openPort()
{
    m_closeScheduled = false;
    if (!m_port.open(QIODevice::ReadWrite)) {
        m_openError = m_port.errorString();
        m_port.clearError();
        traceModem(m_name, "--", "open failed: " + m_openError.toUtf8());
        return false;
    }
    traceModem(m_name, "--", "opened");
    // Many modems ignore commands and report nothing while DTR is low.
    // Pseudo-terminals refuse the ioctl and work without it, so a refusal is no error.
    m_port.setDataTerminalReady(true);
    m_port.clearError();
    // Its answer (OK, or ERROR from a modem that knows no such command) is
    // read and passed over like any line that is no ring and no caller ID.
    if (!m_openCommand.isEmpty())
        send(m_openCommand + "\r\n");
    emit opened();
    return true;
}

void ModemLine::retry()
{
    if (m_port.isOpen() || openPort())
        m_retry.stop();
}

QString ModemLine::openFailure() const
{
    return portOpenMessage(m_name, diagnosePort(QFile::encodeName(m_name).toStdString()), m_openError);
}

bool ModemLine::isNeverSerial() const
{
    return diagnosePort(QFile::encodeName(m_name).toStdString()).fault == PortFault::NotSerial;
}

bool ModemLine::send(const QByteArray& bytes)
{
    traceModem(m_name, ">>", bytes);
    if (m_port.write(bytes) != bytes.size()) {
        m_openError = m_port.errorString();
        m_port.clearError();
        return false;
    }
    // A line that fails here is reported by the error handler.
    m_port.flush();
    return true;
}

void ModemLine::dropUnsent()
{
    m_port.clear(QSerialPort::Output);
    m_port.clearError();
}

void ModemLine::startReply(bool discardPending)
{
    // What came before the command cannot be its answer. On a line nobody
    // else reads, it goes from the system's buffer too; on a shared one the
    // watcher still gets it.
    readAll();
    if (discardPending) {
        m_port.readAll();
        m_port.clear(QSerialPort::Input);
        m_port.clearError();
    }
    m_reply.clear();
    m_collecting = true;
}

QByteArray ModemLine::takeReply()
{
    readAll();
    return std::exchange(m_reply, QByteArray());
}

std::intptr_t ModemLine::nativeHandle() const
{
    return toIntPtr(m_port.handle());
}

void ModemLine::readAll()
{
    // With nobody to take them, bytes stay in the serial library's bounded
    // buffer and then in the system's: a flooding modem costs no memory and,
    // as the library stops reading, no time.
    const bool wanted =
        (m_holders & (Watcher | Probe)) || (m_collecting && m_reply.size() < ReplyLimit);
    if (!m_port.isOpen() || !wanted)
        return;
    const QByteArray bytes = m_port.readAll();
    if (bytes.isEmpty())
        return;
    traceModem(m_name, "<<", bytes);
    if (m_collecting)
        m_reply.append(bytes.left(ReplyLimit - m_reply.size()));
    emit received(bytes);
}

void ModemLine::handleError(QSerialPort::SerialPortError error)
{
    if (error != QSerialPort::ReadError && error != QSerialPort::ResourceError && error != QSerialPort::WriteError)
        return;
    // A line that went away keeps reporting the error on every turn of the event
    // loop until the port is closed: close it once, after QSerialPort has returned.
    if (m_closeScheduled || !m_port.isOpen())
        return;
    m_closeScheduled = true;
    QTimer::singleShot(0, this, &ModemLine::closeAfterLoss);
}

void ModemLine::closeAfterLoss()
{
    if (!m_closeScheduled)
        return;
    m_closeScheduled = false;
    m_collecting = false;
    m_port.close();
    traceModem(m_name, "--", "lost");
    if (m_holders & Watcher)
        m_retry.start();
    emit lost();
}

#include "moc_ModemLine.cpp"
