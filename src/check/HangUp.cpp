#include "HangUp.h"

#include "strings.h"

QStringList HangUp::commandsFrom(const QString& setting)
{
    const QStringList commands = setting.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    return commands.isEmpty() ? QStringList{QStringLiteral("ATH1"), QStringLiteral("ATH0")} : commands;
}

HangUp::HangUp(QObject* parent) : QObject(parent)
{
    m_onHook.setSingleShot(true);
    m_answerWait.setSingleShot(true);
    connect(&m_onHook, &QTimer::timeout, this, &HangUp::putOnHook);
}

void HangUp::start(std::shared_ptr<ModemLine> line, const QStringList& commands)
{
    if (!line || !line->isOpen() || commands.isEmpty() || m_line)
        return;
    m_line = std::move(line);
    m_commands = commands;
    m_lines.reset();
    connect(m_line.get(), &ModemLine::received, this, &HangUp::onReceived);
    m_line->send(commands.first().toLatin1() + "\r");
    m_answerWait.start(AnswerWaitMs);
    m_onHook.start(OnHookAfterMs);
}

void HangUp::onReceived(const QByteArray& bytes)
{
    m_lines.feed(bytes.constData(), bytes.size(), [this](const QByteArray& line) { onLine(line); });
}

// The first final result after the off-hook command is its answer.
void HangUp::onLine(const QByteArray& line)
{
    bool ok = false;
    if (!m_answerWait.isActive() || !ModemLine::isFinalResult(line.trimmed(), &ok))
        return;
    m_answerWait.stop();
    if (!ok && !m_refusalTold) {
        m_refusalTold = true;
        emit refused(QString::fromLatin1(Texts::OffHookRefused).arg(m_line->portName(), m_commands.first()));
    }
}

void HangUp::putOnHook()
{
    if (!m_line)
        return;
    for (qsizetype i = 1; i < m_commands.size(); ++i)
        m_line->send(m_commands.at(i).toLatin1() + "\r");
    disconnect(m_line.get(), nullptr, this, nullptr);
    m_line.reset();
}
