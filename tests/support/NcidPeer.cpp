#include "NcidPeer.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QRegularExpression>
#include <QThread>

namespace NcidPeer {

QString transcriptPath()
{
    return QStringLiteral(RINGLET_NCID_TRANSCRIPT);
}

static QList<QByteArray> transcriptLines()
{
    QFile file(transcriptPath());
    return file.open(QIODevice::ReadOnly) ? file.readAll().split('\n') : QList<QByteArray>();
}

QList<QByteArray> transcriptSession(int session, char who)
{
    const QRegularExpression sent(QStringLiteral("^\\s*[0-9.]+ %1: (.*?)(<CR>)?<LF>$").arg(QLatin1Char(who)));
    QList<QByteArray> lines;
    bool inSession = false;
    for (const QByteArray& line : transcriptLines()) {
        if (line.startsWith("### "))
            inSession = line.startsWith("### Session " + QByteArray::number(session) + ":");
        const QRegularExpressionMatch match = sent.match(QString::fromUtf8(line));
        if (inSession && match.hasMatch())
            lines << match.captured(1).toUtf8() + (match.hasCaptured(2) ? "\r\n" : "\n");
    }
    return lines;
}

QList<QByteArray> transcriptNoteCalls()
{
    QList<QByteArray> calls;
    bool inNotes = false;
    for (const QByteArray& line : transcriptLines()) {
        inNotes = (inNotes || line.startsWith("Notes on the sessions")) && !line.startsWith("Call log file");
        if (inNotes && line.trimmed().startsWith("CID: "))
            calls << line.trimmed() + "\r\n";
    }
    return calls;
}

quint16 freePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

bool waitFor(const std::function<bool()>& done, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(1);
    }
    return true;
}

Server::Server(QList<QByteArray> greeting) : m_greeting(std::move(greeting))
{
    connect(&m_server, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket* socket = m_server.nextPendingConnection()) {
            ++connections;
            m_sockets.push_back(socket);
            connect(socket, &QTcpSocket::readyRead, this, [this, socket] {
                while (socket->canReadLine())
                    received << socket->readLine().trimmed();
            });
            connect(socket, &QTcpSocket::bytesWritten, this, &Server::floodMore);
            connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
                m_sockets.erase(std::find(m_sockets.begin(), m_sockets.end(), socket));
                socket->deleteLater();
            });
            for (const QByteArray& line : m_greeting)
                socket->write(line);
        }
    });
}

bool Server::listen(quint16 port)
{
    return m_server.listen(QHostAddress::LocalHost, port);
}

void Server::send(const QByteArray& bytes)
{
    for (QTcpSocket* socket : m_sockets)
        socket->write(bytes);
}

void Server::flood(const QByteArray& unit, qint64 total)
{
    m_floodUnit = unit;
    m_floodLeft = total;
    floodMore();
}

void Server::floodMore()
{
    for (QTcpSocket* socket : m_sockets) {
        for (; m_floodLeft > 0 && socket->bytesToWrite() < 256 * 1024; m_floodLeft -= m_floodUnit.size())
            socket->write(m_floodUnit);
    }
}

void Server::dropClients()
{
    for (QTcpSocket* socket : std::vector<QTcpSocket*>(m_sockets))
        socket->abort();
}

Client::Client(bool reads) : m_reads(reads)
{
    if (!reads)
        m_socket.setReadBufferSize(1); // Qt takes no more from the system
    connect(&m_socket, &QTcpSocket::connected, this, [this] { m_wasConnected = true; });
    connect(&m_socket, &QTcpSocket::readyRead, this, [this] {
        while (m_reads && m_socket.canReadLine()) {
            lines << m_socket.readLine().trimmed();
            emit lineReceived(lines.last());
        }
    });
}

bool Client::connectTo(quint16 port, const QByteArray& hello)
{
    if (!m_reads)
        m_socket.setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption, 4096);
    m_socket.connectToHost(QHostAddress::LocalHost, port);
    if (!waitFor([this] { return m_wasConnected; }))
        return false;
    m_socket.write(hello);
    return true;
}

bool Client::waitForLine(const QByteArray& start, int timeoutMs)
{
    return waitFor(
        [&] {
            return std::any_of(lines.begin(), lines.end(), [&](const QByteArray& l) { return l.startsWith(start); });
        },
        timeoutMs);
}

} // namespace NcidPeer
