#include "RingTrigger.h"

#include "link/MSComm.h"
#include "link/PortDiagnosis.h"
#include "link/PortName.h"
#include "link/PortOpenMessage.h"
#include "strings.h"

#include <QFile>

#include <type_traits>

namespace {
// Enough for any result line several times over; a flood waits in the kernel's buffer.
constexpr qint64 ReadBufferSize = 4096;

// The port's handle as the pin reader takes it: a descriptor here, a HANDLE on Windows.
template <typename Handle> std::intptr_t toIntPtr(Handle handle)
{
    if constexpr (std::is_pointer_v<Handle>)
        return reinterpret_cast<std::intptr_t>(handle);
    else
        return static_cast<std::intptr_t>(handle);
}

std::intptr_t pinHandle(const QSerialPort& port)
{
    return toIntPtr(port.handle());
}
} // namespace

RingTrigger::RingTrigger(std::unique_ptr<RingPin> pin, QObject* parent)
    : QObject(parent), m_pin(pin ? std::move(pin) : createRingPin())
{
    m_clock.start();
    m_port.setReadBufferSize(ReadBufferSize);
    m_retryTimer.setInterval(RetryMs);
    m_pinTimer.setInterval(PinPollMs);
    m_callTimer.setSingleShot(true);
    connect(&m_port, &QSerialPort::readyRead, this, &RingTrigger::readLines);
    connect(&m_port, &QSerialPort::errorOccurred, this, &RingTrigger::handleError);
    connect(&m_retryTimer, &QTimer::timeout, this, &RingTrigger::retry);
    connect(&m_pinTimer, &QTimer::timeout, this, &RingTrigger::pollPin);
    connect(&m_callTimer, &QTimer::timeout, this, &RingTrigger::onCallTimer);
}

RingTrigger::~RingTrigger() = default;

void RingTrigger::arm(const Settings& settings)
{
    disarm();
    const QString name = settings.ringPort.trimmed();
    if (name.isEmpty() || name == QLatin1String("NA")) {
        emit problem(QString::fromLatin1(Texts::RingNoPort));
        return;
    }
    m_settings = settings;
    m_settings.ringPort = name;
    m_callerId.setMarker(settings.marker.toLocal8Bit());
    m_port.setPortName(name);
    if (!CMSComm::applyLineSettings(m_port, settings.lineSettings)) {
        m_port.clearError();
        emit problem(QString::fromLatin1(Texts::RingBadSettings).arg(name, settings.lineSettings));
        return;
    }
    m_armed = true;
    if (openPort())
        return;
    // The user learns why, in the words the check port uses. A port that can
    // never work (a file, a folder, a device of another kind) is not tried again.
    const PortDiagnosis diagnosis = diagnosePort(QFile::encodeName(name).toStdString());
    const QString cause = portOpenMessage(name, diagnosis, m_openError);
    if (diagnosis.fault == PortFault::NotSerial) {
        emit problem(QString::fromLatin1(Texts::RingCannotWatch).arg(cause));
        return;
    }
    m_retryTimer.start();
    emit problem(QString::fromLatin1(Texts::RingOpenFailed).arg(cause));
}

void RingTrigger::disarm()
{
    m_armed = false;
    m_lent = false;
    m_retryTimer.stop();
    m_callTimer.stop();
    closePort();
    m_rule.reset();
    m_callerId.reset();
}

void RingTrigger::lendPort()
{
    if (!m_armed || m_lent || !isSamePort(m_settings.ringPort, m_settings.checkPort))
        return;
    m_lent = true;
    m_retryTimer.stop();
    closePort();
}

void RingTrigger::takePortBack()
{
    if (!m_lent)
        return;
    m_lent = false;
    // Should the port not open at once, it is taken back later, quietly.
    if (!openPort())
        m_retryTimer.start();
}

bool RingTrigger::openPort()
{
    if (!m_port.open(QIODevice::ReadWrite)) {
        m_openError = m_port.errorString();
        m_port.clearError();
        return false;
    }
    // Many modems report nothing while DTR is low. Pseudo-terminals refuse the
    // ioctl and work without it, so a refusal is no error.
    m_port.setDataTerminalReady(true);
    m_port.clearError();
    // Its answer (OK, or ERROR from a modem that knows no such command) is read
    // and passed over like any line that is no ring and no caller ID.
    const QByteArray command = m_settings.ringCommand.trimmed().toLocal8Bit();
    if (!command.isEmpty())
        m_port.write(command + "\r\n");
    m_lines.reset();
    m_pinWasOn = false;
    if (m_pin->read(pinHandle(m_port)) != RingPin::State::Unreadable)
        m_pinTimer.start();
    return true;
}

void RingTrigger::closePort()
{
    m_closeScheduled = false;
    m_pinTimer.stop();
    m_port.close();
}

void RingTrigger::retry()
{
    if (openPort())
        m_retryTimer.stop();
}

void RingTrigger::readLines()
{
    char buffer[1024];
    qint64 size = 0;
    while ((size = m_port.read(buffer, sizeof buffer)) > 0)
        m_lines.feed(buffer, size, [this](const QByteArray& line) { onLine(line); });
}

// Rings and caller-ID lines go to the rule in the order they came: an
// announcement belongs to the call its rings started.
void RingTrigger::onLine(const QByteArray& line)
{
    if (RingLineReader::isRing(line)) {
        onRing();
        return;
    }
    const qint64 now = m_clock.elapsed();
    if (!m_rule.isInCall(now))
        m_callerId.reset();
    if (m_callerId.take(line))
        followRule(m_rule.callerId(now, m_callerId.hasNumber(), m_callerId.isComplete()));
}

void RingTrigger::pollPin()
{
    const RingPin::State state = m_pin->read(pinHandle(m_port));
    if (state == RingPin::State::Unreadable) {
        m_pinTimer.stop();
        return;
    }
    const bool on = state == RingPin::State::On;
    if (on && !m_pinWasOn)
        onRing();
    m_pinWasOn = on;
}

void RingTrigger::onRing()
{
    const qint64 now = m_clock.elapsed();
    if (!m_rule.isInCall(now))
        m_callerId.reset();
    followRule(m_rule.ring(now));
}

void RingTrigger::onCallTimer()
{
    followRule(m_rule.due(m_clock.elapsed()));
}

// Either the call's outcome is due now, or the timer waits for the rule's next
// moment (the end of the wait for a name, the lone-ring check), if it has one.
void RingTrigger::followRule(RingCallRule::Action action)
{
    switch (action) {
    case RingCallRule::Action::Query:
        requestCheck();
        return;
    case RingCallRule::Action::Announce:
        announce();
        return;
    case RingCallRule::Action::None:
        break;
    }
    const qint64 due = m_rule.nextDueMs();
    if (due < 0)
        m_callTimer.stop();
    else
        m_callTimer.start(static_cast<int>(qMax<qint64>(0, due - m_clock.elapsed())));
}

void RingTrigger::requestCheck()
{
    m_callTimer.stop();
    // Queued: the check may take this very port away, which must not happen
    // inside the port's own read notification.
    QTimer::singleShot(0, this, [this] {
        if (m_armed)
            emit checkWanted();
    });
}

void RingTrigger::announce()
{
    m_callTimer.stop();
    // Queued, as a check is: whoever shows it may rearm this watcher, which
    // must not close the port inside its own read notification.
    QTimer::singleShot(0, this, [this, number = m_callerId.number(), name = m_callerId.name()] {
        if (m_armed)
            emit announced(number, name);
    });
}

void RingTrigger::handleError(QSerialPort::SerialPortError error)
{
    if (error != QSerialPort::ReadError && error != QSerialPort::ResourceError)
        return;
    // A line that went away reports the error on every turn of the event loop
    // until the port is closed: close it once, after QSerialPort has returned.
    if (m_closeScheduled || !m_port.isOpen())
        return;
    m_closeScheduled = true;
    QTimer::singleShot(0, this, &RingTrigger::closeAfterLoss);
}

void RingTrigger::closeAfterLoss()
{
    if (!m_closeScheduled)
        return;
    closePort();
    if (!m_armed)
        return;
    m_retryTimer.start();
    emit problem(QString::fromLatin1(Texts::RingPortLost).arg(m_settings.ringPort));
}

#include "moc_RingTrigger.cpp"
