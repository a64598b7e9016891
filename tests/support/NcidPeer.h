#pragma once

#include <QList>
#include <QTcpServer>
#include <QTcpSocket>

#include <functional>
#include <vector>

// The other end of an NCID connection, on 127.0.0.1 only: a server that sends
// lines as a real one sent them, and a client that records what it gets.
namespace NcidPeer {

// The real server's transcript, read where it lies; empty when it is absent.
QString transcriptPath();
// What the server ('S') or the client ('C') sent in session 1, 2 or 3, line ends as written.
QList<QByteArray> transcriptSession(int session, char who = 'S');
// The call lines its notes quote (a caller without a name, a withheld one), with CR LF.
QList<QByteArray> transcriptNoteCalls();
quint16 freePort();
// Runs the event loop until `done` holds; false after `timeoutMs`.
bool waitFor(const std::function<bool()>& done, int timeoutMs = 5000);

// Sends `greeting` to each client as it connects and records the lines they send.
class Server : public QObject
{
    Q_OBJECT

public:
    explicit Server(QList<QByteArray> greeting = {});
    bool listen(quint16 port = 0);
    void close() { m_server.close(); }
    quint16 port() const { return m_server.serverPort(); }
    QString address() const { return QStringLiteral("127.0.0.1:%1").arg(port()); }
    void send(const QByteArray& bytes);
    // Sends `unit` over and over up to `total` bytes, little queued at a time.
    void flood(const QByteArray& unit, qint64 total);
    bool isFlooding() const { return m_floodLeft > 0; }
    void dropClients();
    int clientCount() const { return int(m_sockets.size()); }

    int connections = 0;
    QList<QByteArray> received; // without line ends

private:
    void floodMore();

    std::vector<QTcpSocket*> m_sockets; // before the server: its sockets leave this list as they go
    QTcpServer m_server;
    QList<QByteArray> m_greeting;
    QByteArray m_floodUnit;
    qint64 m_floodLeft = 0;
};

// Records each line it gets; made with `reads` false it never reads, so what
// is sent to it piles up on the sender's side.
class Client : public QObject
{
    Q_OBJECT

public:
    explicit Client(bool reads = true);
    bool connectTo(quint16 port, const QByteArray& hello = QByteArray());
    void send(const QByteArray& bytes) { m_socket.write(bytes); }
    bool isConnected() const { return m_socket.state() == QAbstractSocket::ConnectedState; }
    bool waitForLine(const QByteArray& start, int timeoutMs = 5000);
    // The lines after the end of start-up.
    QList<QByteArray> served() const { return lines.mid(lines.indexOf("300 End of connection startup") + 1); }

    QList<QByteArray> lines; // without line ends

signals:
    void lineReceived(const QByteArray& line);

private:
    QTcpSocket m_socket;
    bool m_reads;
    bool m_wasConnected = false; // a server may close at once after its last line
};

} // namespace NcidPeer
