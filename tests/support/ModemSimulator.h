#pragma once

#include <QByteArray>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

// Runs ringlet-modemsim (tools/) on a pseudo-terminal of its own for one test.
// The simulator always keeps a transcript of what it receives and a symbolic
// link to its device, whose path stays the same across restarts.
class ModemSimulator
{
public:
    // `arguments`: the simulator's switches, e.g. {"--numbers", "555", "--delay-ms", "1500"}.
    explicit ModemSimulator(const QStringList& arguments = {});
    ~ModemSimulator();

    // Starts the simulator and waits for its device path; false when it does not come up.
    bool start();
    // Stops it (SIGTERM, then SIGKILL if it lingers); the transcript is kept.
    void stop();
    // A fresh simulator, with `arguments` if given; its device is new, its link path the same.
    bool restart(const QStringList& arguments);
    bool restart() { return restart(m_arguments); }

    // Rings the line once: the simulator sends a RING result (SIGUSR1).
    void ring();
    // A power blip (SIGUSR2): a modem of a family forgets its caller-ID command and turns echo on.
    void powerBlip();
    // Holds the simulator still (SIGSTOP): it reads nothing, as a modem that
    // holds the line back, until resume().
    void freeze();
    void resume();

    bool isRunning() const { return m_process.state() != QProcess::NotRunning; }
    // Blocks (no event loop) until the simulator exits by itself, e.g. after --hangup-after-command.
    bool waitForExit(int timeoutMs) { return m_process.waitForFinished(timeoutMs); }
    QString devicePath() const { return m_devicePath; }
    QString linkPath() const;
    // Every byte the simulators of this object have received so far, raw.
    QByteArray transcript() const;

    static QString executablePath();

private:
    QTemporaryDir m_dir;
    QProcess m_process;
    QStringList m_arguments;
    QString m_devicePath;
};
