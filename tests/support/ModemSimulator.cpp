#include "ModemSimulator.h"

#include <QDeadlineTimer>
#include <QFile>

#include <csignal>

namespace {
constexpr int StartTimeoutMs = 5000;
constexpr int StopTimeoutMs = 3000;
} // namespace

ModemSimulator::ModemSimulator(const QStringList& arguments) : m_arguments(arguments)
{
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
}

ModemSimulator::~ModemSimulator()
{
    stop();
}

QString ModemSimulator::executablePath()
{
    return QStringLiteral(RINGLET_MODEMSIM_PATH);
}

QString ModemSimulator::linkPath() const
{
    return m_dir.filePath(QStringLiteral("modem"));
}

QByteArray ModemSimulator::transcript() const
{
    QFile file(m_dir.filePath(QStringLiteral("transcript.bin")));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool ModemSimulator::start()
{
    if (!m_dir.isValid())
        return false;
    stop();
    QStringList arguments = m_arguments;
    arguments << QStringLiteral("--transcript") << m_dir.filePath(QStringLiteral("transcript.bin"))
              << QStringLiteral("--link") << linkPath();
    m_process.start(executablePath(), arguments);
    const QDeadlineTimer deadline(StartTimeoutMs);
    while (!m_process.canReadLine()) {
        if (m_process.state() == QProcess::NotRunning || deadline.hasExpired())
            return false;
        m_process.waitForReadyRead(static_cast<int>(deadline.remainingTime()));
    }
    m_devicePath = QString::fromLocal8Bit(m_process.readLine()).trimmed();
    return !m_devicePath.isEmpty();
}

void ModemSimulator::stop()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    resume();
    m_process.terminate();
    if (!m_process.waitForFinished(StopTimeoutMs)) {
        m_process.kill();
        m_process.waitForFinished(StopTimeoutMs);
    }
}

bool ModemSimulator::restart(const QStringList& arguments)
{
    m_arguments = arguments;
    return start();
}

void ModemSimulator::ring()
{
    if (isRunning())
        ::kill(static_cast<pid_t>(m_process.processId()), SIGUSR1);
}

void ModemSimulator::powerBlip()
{
    if (isRunning())
        ::kill(static_cast<pid_t>(m_process.processId()), SIGUSR2);
}

void ModemSimulator::freeze()
{
    if (isRunning())
        ::kill(static_cast<pid_t>(m_process.processId()), SIGSTOP);
}

void ModemSimulator::resume()
{
    if (isRunning())
        ::kill(static_cast<pid_t>(m_process.processId()), SIGCONT);
}
