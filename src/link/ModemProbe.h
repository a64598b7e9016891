#pragma once

#include "ModemLine.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <memory>

// Finds out what the modem on a port is and what it can do: its identity,
// whether it answers the last-caller query, and which caller-ID command it
// takes. Each command waits for the modem's final result (OK, ERROR) and no
// longer, up to a bound; a modem with echo on or off reads the same. Nothing
// the modem stores is changed: no AT&W, and a caller-ID command is only asked
// about (AT+VCID=?), never switched on, unless the modem knows no test form.
//
// It talks over the port's modem line, so it shares an open line with the
// ring watcher; while it runs the watcher takes none of its replies for
// caller ID.
class ModemProbe : public QObject
{
    Q_OBJECT

public:
    // How long a command waits for its final result; a port with nothing
    // behind it is given up after two plain ATs.
    static constexpr int ReplyWaitMs = 900;

    struct Request
    {
        QString port;
        QString lineSettings; // "115200,n,8,1"
        QByteArray query;     // the last-caller query, e.g. AT\L1
        QByteArray marker;    // the text before the number in its reply
    };

    struct Findings
    {
        enum class Outcome {
            Answered,  // a modem answered AT
            Silent,    // the port opened, nothing answered
            NotOpened, // the port would not open: `failure` says why
        };
        Outcome outcome = Outcome::Silent;
        QString port;
        QString failure;
        QString identity;        // as the modem gave it; empty when it gave none
        bool answersQuery = false;
        bool refusesQuery = false; // ERROR to the query (neither: no reply Ringlet reads)
        QByteArray callerIdCommand; // e.g. AT+VCID=1; empty: none taken
    };

    explicit ModemProbe(QObject* parent = nullptr);
    ~ModemProbe() override;

    // Starts finding out; `finished` comes once. A probe running is dropped first.
    void start(const Request& request);
    // Stops without a `finished`; the line is let go.
    void cancel();
    bool isRunning() const { return m_line != nullptr; }

signals:
    void finished(const ModemProbe::Findings& findings);

private:
    enum class Step { Wake, Identity, Query, TestForm, SwitchOn };

    void send(const QByteArray& command);
    void onReceived(const QByteArray& bytes);
    void onLine(const QByteArray& line);
    void onReplyDone(bool ok, bool timedOut);
    void nextIdentity();
    void nextFamily();
    void finish();
    void release();

    Request m_request;
    Findings m_findings;
    std::shared_ptr<ModemLine> m_line;
    QTimer m_timeout;
    Step m_step = Step::Wake;
    QByteArray m_sent;
    QByteArray m_partial;
    QList<QByteArray> m_lines; // the information lines of the reply in progress
    int m_attempt = 0;
    int m_familyIndex = 0;
    quint64 m_run = 0; // which start() the bytes being read belong to
};
