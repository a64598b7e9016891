#pragma once

#include "NcidEndpoint.h"
#include "NcidLine.h"

#include <QObject>
#include <QTcpSocket>
#include <QTimer>

#include <optional>

// Takes the calls of another desk from its NCID server: connects, says who it
// is and that it wants no replayed call log (this desk's own log is its
// history), and hands on each live call and message. A lost or refused
// connection is tried again, 2 s after at first and twice as long each time
// up to a minute; that the server cannot be reached is told once, and once
// that it is back. After 15 minutes without a line it asks whether the server
// is still there. It never blocks: everything goes on from the event loop.
class NcidClient : public QObject
{
    Q_OBJECT

public:
    // The waits, which tests and benchmarks shorten.
    struct Timings
    {
        int firstRetryMs = 2000;
        int longestRetryMs = 60000;
        int quietMs = 15 * 60 * 1000; // without a line, then a keep-alive
        int answerMs = 60000;         // for a connection to open, or the keep-alive's answer
    };

    explicit NcidClient(QObject* parent = nullptr);

    void setTimings(const Timings& timings) { m_timings = timings; }
    // Connects to `server` ("host" or "host:port"); an empty text ends the
    // connection. Returns false for a text that names no server.
    bool setServer(const QString& server);
    QString server() const { return m_serverText; }
    bool isConnected() const { return m_socket.state() == QAbstractSocket::ConnectedState; }

signals:
    // A call the server told of, in Ringlet's words (see NcidCallLine::Caller).
    void callCame(const QString& number, const QString& name);
    void messageCame(const QString& text);
    // The server's start-up ended (its "300" line): calls come from now on.
    void started();
    void unreachable(const QString& words);
    void reachableAgain(const QString& words);
    // The next attempt comes after `ms` (tests and benchmarks follow it).
    void retryScheduled(int ms);

private:
    void connectNow();
    void onConnected();
    void onReadyRead();
    void onLine(const QByteArray& line);
    void onLinkEnded();
    void onQuiet();
    void stop();

    Timings m_timings;
    QTcpSocket m_socket;
    NcidLineReader m_reader;
    std::optional<NcidEndpoint> m_endpoint;
    QString m_serverText;
    QTimer m_retry;
    QTimer m_quiet;
    QTimer m_answerWait;
    int m_nextDelayMs = 0;
    bool m_heardThisLink = false; // a line came over this connection
    bool m_toldUnreachable = false;
    bool m_answersYo = false; // the server's feature sets include acknowledgment
    bool m_silent = false;    // this attempt ended because nothing answered in time
};
