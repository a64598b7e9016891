#pragma once

#include "RingLines.h"
#include "link/ModemLine.h"

#include <QObject>
#include <QStringList>
#include <QTimer>

#include <memory>

// Hangs up on the call ringing now: the modem goes off-hook at once and,
// about a second later, back on-hook, so the phone rings at most once. The
// commands go out on the line that reads the caller ID. A modem that answers
// the off-hook command with ERROR is told of once.
class HangUp : public QObject
{
    Q_OBJECT

public:
    static constexpr int OnHookAfterMs = 1000;
    // How long an ERROR after the off-hook command counts as its answer.
    static constexpr int AnswerWaitMs = 2000;

    // The commands of the setting `hangupcommand`, separated by spaces: the
    // first goes off-hook, the rest follow OnHookAfterMs later. Empty: ATH1 ATH0.
    static QStringList commandsFrom(const QString& setting);

    explicit HangUp(QObject* parent = nullptr);

    void start(std::shared_ptr<ModemLine> line, const QStringList& commands);
    bool isHangingUp() const { return m_line != nullptr; }

signals:
    // The modem refused to go off-hook: what happened and what to try, in words.
    void refused(const QString& words);

private:
    void onReceived(const QByteArray& bytes);
    void onLine(const QByteArray& line);
    void putOnHook();

    std::shared_ptr<ModemLine> m_line;
    QStringList m_commands;
    QTimer m_onHook;
    QTimer m_answerWait;
    RingLineReader m_lines;
    bool m_refusalTold = false;
};
