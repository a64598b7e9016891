#include "RingTrigger.h"

#include "link/PortName.h"
#include "strings.h"

RingTrigger::RingTrigger(std::unique_ptr<RingPin> pin, QObject* parent)
    : QObject(parent), m_pin(pin ? std::move(pin) : createRingPin())
{
    m_clock.start();
    m_callTimer.setSingleShot(true);
    connect(&m_pinTimer, &QTimer::timeout, this, &RingTrigger::pollPin);
    connect(&m_callTimer, &QTimer::timeout, this, &RingTrigger::onCallTimer);
}

RingTrigger::~RingTrigger()
{
    disarm();
}

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
    m_rule = RingCallRule(m_timings.call);
    m_callerId.setMarker(settings.marker.toLocal8Bit());
    m_pinTimer.setInterval(m_timings.pinPollMs);
    std::shared_ptr<ModemLine> line = ModemLine::forPort(name);
    if (!ModemLine::isValidLineSettings(settings.lineSettings) || !line->setLineSettings(settings.lineSettings)) {
        emit problem(QString::fromLatin1(Texts::RingBadSettings).arg(name, settings.lineSettings));
        return;
    }
    m_line = std::move(line);
    m_armed = true;
    const QByteArray command = settings.ringCommand.trimmed().toLocal8Bit();
    m_line->setOpenCommand(command);
    m_line->setRetryMs(m_timings.retryMs);
    const bool wasOpen = m_line->isOpen();
    const bool opened = m_line->open(ModemLine::Watcher);
    connect(m_line.get(), &ModemLine::opened, this, &RingTrigger::onOpened);
    connect(m_line.get(), &ModemLine::received, this, &RingTrigger::readLines);
    connect(m_line.get(), &ModemLine::lost, this, &RingTrigger::onLost);
    if (opened) {
        // A line the check holds open already was told nothing on this open.
        if (wasOpen && !command.isEmpty())
            m_line->send(command + "\r\n");
        onOpened();
        return;
    }
    // The user learns why, in the words the check port uses. A port that can
    // never work (a file, a folder, a device of another kind) is not tried again.
    const QString cause = m_line->openFailure();
    if (!m_line->isRetrying()) {
        emit problem(QString::fromLatin1(Texts::RingCannotWatch).arg(cause));
        return;
    }
    emit problem(QString::fromLatin1(Texts::RingOpenFailed).arg(cause));
}

void RingTrigger::disarm()
{
    m_armed = false;
    m_callTimer.stop();
    m_pinTimer.stop();
    if (m_line) {
        disconnect(m_line.get(), nullptr, this, nullptr);
        m_line->setOpenCommand({});
        m_line->close(ModemLine::Watcher);
        m_line.reset();
    }
    m_rule.reset();
    m_callerId.reset();
}

bool RingTrigger::sharesLineWith(const QString& checkPort) const
{
    return m_armed && m_line && (m_line->portName() == checkPort || isSamePort(m_line->portName(), checkPort));
}

void RingTrigger::tellModemAgain()
{
    const QByteArray command = m_settings.ringCommand.trimmed().toLocal8Bit();
    if (isWatching() && !command.isEmpty())
        m_line->send(command + "\r\n");
}

void RingTrigger::onOpened()
{
    m_lines.reset();
    m_pinWasOn = false;
    if (m_pin->read(m_line->nativeHandle()) != RingPin::State::Unreadable)
        m_pinTimer.start();
}

void RingTrigger::onLost()
{
    m_pinTimer.stop();
    if (m_armed)
        emit problem(QString::fromLatin1(Texts::RingPortLost).arg(m_settings.ringPort));
}

void RingTrigger::readLines(const QByteArray& bytes)
{
    m_lines.feed(bytes.constData(), bytes.size(), [this](const QByteArray& line) { onLine(line); });
}

// Rings and caller-ID lines go to the rule in the order they came: an
// announcement belongs to the call its rings started. A ring line may carry
// the caller's number too (ISDN adapters): it is a ring first, then caller ID.
void RingTrigger::onLine(const QByteArray& line)
{
    if (RingLineReader::isRing(line))
        onRing();
    // A check's reply on the shared line is the check's: its marker line is no announcement.
    if (m_line->isCarryingReply())
        return;
    const qint64 now = m_clock.elapsed();
    const bool newCall = m_rule.startsCall(now, m_callerId.bringsAnotherNumber(line));
    if (newCall)
        m_callerId.reset();
    if (m_callerId.take(line))
        followRule(m_rule.callerId(now, m_callerId.hasNumber(), m_callerId.isComplete(), newCall));
}

void RingTrigger::pollPin()
{
    const RingPin::State state = m_pin->read(m_line->nativeHandle());
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
    noteCallerIdCame(false);
    if (m_settings.queryRefused) {
        // Asking a modem that refuses the query would only show its ERROR as
        // "Can't find string": the call is told as what it was.
        QTimer::singleShot(0, this, [this] {
            if (m_armed)
                emit announced(QByteArray(Texts::CallerNoCallerId), QString());
        });
        return;
    }
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
    noteCallerIdCame(true);
    // Queued, as a check is: whoever shows it may rearm this watcher, which
    // must not close the port inside its own read notification.
    QTimer::singleShot(0, this, [this, number = m_callerId.number(), name = m_callerId.name()] {
        if (m_armed)
            emit announced(number, name);
    });
}

// A call without caller ID on a line that has a ring command: the modem may
// have lost power or been reset while its USB link stayed up, and forgotten
// the command. It is told again at once, so the next call brings its number;
// after two such calls in a row the user hears of it, once until caller ID
// comes again.
void RingTrigger::noteCallerIdCame(bool came)
{
    if (came) {
        m_callsWithoutCallerId = 0;
        m_forgettingSaid = false;
        return;
    }
    const QByteArray command = m_settings.ringCommand.trimmed().toLocal8Bit();
    if (command.isEmpty())
        return;
    tellModemAgain();
    if (++m_callsWithoutCallerId < 2 || m_forgettingSaid)
        return;
    m_forgettingSaid = true;
    emit problem(QString::fromLatin1(Texts::ModemForgotCallerId).arg(m_settings.ringPort, QString::fromLatin1(command)));
}

#include "moc_RingTrigger.cpp"
