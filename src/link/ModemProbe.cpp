#include "ModemProbe.h"

#include <iterator>

namespace {
// The caller-ID commands of the chipset families, in the order they are
// tried. The standard voice form comes first: modems that know both it and
// an older form work best with it. The mobile-network form comes last, as the
// few analog modems that also accept it do not announce with it.
constexpr const char* CallerIdStems[] = {
    "AT+VCID", // the standard voice-modem form (most USB and PCI modems)
    "AT#CID",  // the older form of many data/fax chipsets
    "AT%CCID", // the form of a few chipsets that know neither
    "AT+CLIP", // mobile-network modems and dongles, some ISDN adapters
};
constexpr int FamilyCount = int(std::size(CallerIdStems));
constexpr const char* IdentityCommands[] = {"ATI3", "ATI", "AT+GMM"};
constexpr int IdentityCount = int(std::size(IdentityCommands));
constexpr qsizetype MaxLine = 256;
constexpr int MaxLines = 16;
constexpr qsizetype MaxIdentity = 80;

bool hasLetter(const QByteArray& line)
{
    for (const char c : line)
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'))
            return true;
    return false;
}

// Printable ASCII only: the identity is shown, and a modem's bytes are not text we trust.
QString printable(const QByteArray& bytes)
{
    QString text;
    for (const char c : bytes)
        if (c >= ' ' && c <= '~')
            text.append(QLatin1Char(c));
    return text.simplified().left(MaxIdentity);
}

// "Manufacturer: X" and "Model: Y" lines (as mobile-network modems answer ATI)
// make "X Y"; otherwise the first line with a letter in it.
QString identityFrom(const QList<QByteArray>& lines)
{
    QString maker;
    QString model;
    for (const QByteArray& line : lines) {
        if (line.startsWith("Manufacturer:"))
            maker = printable(line.mid(13));
        else if (line.startsWith("Model:"))
            model = printable(line.mid(6));
    }
    if (!model.isEmpty())
        return (maker.isEmpty() ? model : maker + QLatin1Char(' ') + model).left(MaxIdentity);
    for (const QByteArray& line : lines)
        if (hasLetter(line))
            return printable(line);
    return {};
}
} // namespace

ModemProbe::ModemProbe(QObject* parent) : QObject(parent)
{
    m_timeout.setSingleShot(true);
    connect(&m_timeout, &QTimer::timeout, this, [this] { onReplyDone(false, true); });
}

ModemProbe::~ModemProbe()
{
    release();
}

void ModemProbe::start(const Request& request)
{
    cancel();
    ++m_run;
    m_request = request;
    m_findings = Findings();
    m_findings.port = request.port;
    std::shared_ptr<ModemLine> line = ModemLine::forPort(request.port.trimmed());
    if (!line->isOpen() && !line->setLineSettings(request.lineSettings))
        line->setLineSettings(QStringLiteral("115200,n,8,1"));
    if (!line->open(ModemLine::Probe)) {
        m_findings.outcome = Findings::Outcome::NotOpened;
        m_findings.failure = line->openFailure();
        line->close(ModemLine::Probe);
        // Said from the event loop, as every other outcome is.
        QTimer::singleShot(0, this, [this, findings = m_findings] { emit finished(findings); });
        return;
    }
    m_line = std::move(line);
    connect(m_line.get(), &ModemLine::received, this, &ModemProbe::onReceived);
    connect(m_line.get(), &ModemLine::lost, this, [this] { finish(); });
    m_step = Step::Wake;
    m_attempt = 0;
    send("AT");
}

void ModemProbe::cancel()
{
    m_timeout.stop();
    release();
}

void ModemProbe::release()
{
    if (!m_line)
        return;
    disconnect(m_line.get(), nullptr, this, nullptr);
    m_line->close(ModemLine::Probe);
    m_line.reset();
}

void ModemProbe::send(const QByteArray& command)
{
    m_sent = command;
    m_lines.clear();
    m_partial.clear();
    m_timeout.start(ReplyWaitMs);
    if (!m_line->send(command + "\r"))
        finish();
}

void ModemProbe::onReceived(const QByteArray& bytes)
{
    const quint64 run = m_run;
    for (const char c : bytes) {
        if (c == '\r' || c == '\n') {
            const QByteArray line = m_partial.trimmed();
            m_partial.clear();
            if (!line.isEmpty())
                onLine(line);
            if (!m_line || m_run != run)
                return; // finished on that line
        } else if (m_partial.size() < MaxLine) {
            m_partial.append(c);
        }
    }
}

void ModemProbe::onLine(const QByteArray& line)
{
    // The echo of the command, and rings of a call meanwhile, are no answer.
    if (line.compare(m_sent, Qt::CaseInsensitive) == 0 || line == "RING")
        return;
    bool ok = false;
    if (ModemLine::isFinalResult(line, &ok)) {
        onReplyDone(ok, false);
        return;
    }
    if (m_lines.size() < MaxLines)
        m_lines.append(line);
}

void ModemProbe::onReplyDone(bool ok, bool timedOut)
{
    m_timeout.stop();
    if (!m_line)
        return;
    switch (m_step) {
    case Step::Wake:
        if (timedOut && ++m_attempt < 2) {
            send("AT");
            return;
        }
        if (timedOut) {
            finish();
            return;
        }
        m_findings.outcome = Findings::Outcome::Answered;
        m_step = Step::Identity;
        m_attempt = 0;
        send(IdentityCommands[0]);
        return;
    case Step::Identity:
        if (ok)
            m_findings.identity = identityFrom(m_lines);
        nextIdentity();
        return;
    case Step::Query: {
        // A reply that ends without a line end (some modems send no OK after it) counts too.
        QList<QByteArray> reply = m_lines;
        reply.append(m_partial);
        for (const QByteArray& line : reply)
            if (!m_request.marker.isEmpty() && line.contains(m_request.marker))
                m_findings.answersQuery = true;
        m_findings.refusesQuery = !m_findings.answersQuery && !ok && !timedOut;
        m_step = Step::TestForm;
        m_familyIndex = 0;
        send(QByteArray(CallerIdStems[0]) + "=?");
        return;
    }
    case Step::TestForm:
    case Step::SwitchOn:
        if (ok) {
            m_findings.callerIdCommand = QByteArray(CallerIdStems[m_familyIndex]) + "=1";
            finish();
            return;
        }
        nextFamily();
        return;
    }
}

void ModemProbe::nextIdentity()
{
    if (m_findings.identity.isEmpty() && ++m_attempt < IdentityCount) {
        send(IdentityCommands[m_attempt]);
        return;
    }
    m_step = Step::Query;
    if (m_request.query.trimmed().isEmpty()) {
        onReplyDone(false, true);
        return;
    }
    send(m_request.query.trimmed());
}

// Every family is asked through its test form first; only a modem that knows
// none of them is tried with the switching forms, which then simply fail.
void ModemProbe::nextFamily()
{
    if (++m_familyIndex < FamilyCount) {
        send(QByteArray(CallerIdStems[m_familyIndex]) + (m_step == Step::TestForm ? "=?" : "=1"));
        return;
    }
    if (m_step == Step::TestForm) {
        m_step = Step::SwitchOn;
        m_familyIndex = 0;
        send(QByteArray(CallerIdStems[0]) + "=1");
        return;
    }
    finish();
}

void ModemProbe::finish()
{
    m_timeout.stop();
    release();
    emit finished(m_findings);
}

#include "moc_ModemProbe.cpp"
