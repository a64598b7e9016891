#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <QTcpServer>
#include <QTcpSocket>

#include <functional>
#include <vector>

// The other end of an NCID connection for a test or benchmark, on 127.0.0.1
// only: a server that sends lines as a real one sent them, and a client that
// records what it gets.
namespace NcidPeer {

// The real server's transcript, read where it lies (empty when it is absent).
QString transcriptPath();
// The lines the server sent (`who` 'S') or the client sent ('C') in session
// `session` (1, 2, 3), each with its line end as the transcript gives it.
QList<QByteArray> transcriptSession(int session, char who = 'S');
// The call lines its notes quote (a caller without a name, a withheld one), with CR LF.
QList<QByteArray> transcriptNoteCalls();
// A port on 127.0.0.1 free at the moment of asking.
quint16 freePort();
// Waits, the event loop running, until `done` holds; false after `timeoutMs`.
bool waitFor(const std::function<bool()>& done, int timeoutMs = 5000);

// A server that sends `greeting` to each client as it connects, records the
// lines each sends, and sends more when told.
class Server : public QObject
{
    Q_OBJECT

public:
    explicit Server(QList<QByteArray> greeting = {});
    bool listen(quint16 port = 0);
    void close() { m_server.close(); }
    quint16 port() const { return m_port; }
    QString address() const { return QStringLiteral("127.0.0.1:%1").arg(m_port); }

    void send(const QByteArray& bytes);
    // Sends `unit` over and over up to `total` bytes, keeping little queued:
    // the flood is in the receiver's hands, not held here.
    void flood(const QByteArray& unit, qint64 total);
    bool isFlooding() const { return m_floodLeft > 0; }
    // Ends every connection, as a server that goes away.
    void dropClients();

    int connections() const { return m_connections; }
    int clientCount() const { return int(m_sockets.size()); }
    QList<QByteArray> received; // every line the clients sent, without line ends

private:
    void floodMore();

    QTcpServer m_server;
    QList<QByteArray> m_greeting;
    std::vector<QTcpSocket*> m_sockets;
    QByteArray m_floodUnit;
    qint64 m_floodLeft = 0;
    quint16 m_port = 0;
    int m_connections = 0;
};

// A client that records each line it gets; one made with `reads` false never
// reads, so what is sent to it piles up on the sender's side.
class Client : public QObject
{
    Q_OBJECT

public:
    explicit Client(bool reads = true);
    // Connects to 127.0.0.1:`port` and sends `hello` at once.
    bool connectTo(quint16 port, const QByteArray& hello = QByteArray());
    void send(const QByteArray& bytes) { m_socket.write(bytes); }
    bool isConnected() const { return m_socket.state() == QAbstractSocket::ConnectedState; }
    // Waits for a line that starts with `start`; false after `timeoutMs`.
    bool waitForLine(const QByteArray& start, int timeoutMs = 5000);

    QList<QByteArray> lines; // without line ends

signals:
    void lineReceived(const QByteArray& line);

private:
    QTcpSocket m_socket;
    QByteArray m_partial;
    bool m_wasConnected = false; // a server may close at once after its last line
    bool m_reads;
};

} // namespace NcidPeer
