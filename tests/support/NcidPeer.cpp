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

namespace {

QList<QByteArray> transcriptLines()
{
    QFile file(transcriptPath());
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll().split('\n');
}

// "<CR><LF>" and "<LF>" as the transcript writes the line ends.
QByteArray withLineEnd(QByteArray text)
{
    if (text.endsWith("<CR><LF>"))
        return text.chopped(8) + "\r\n";
    if (text.endsWith("<LF>"))
        return text.chopped(4) + "\n";
    return text;
}

} // namespace

QList<QByteArray> transcriptSession(int session, char who)
{
    const QByteArray heading = "### Session " + QByteArray::number(session) + ":";
    const QRegularExpression serverLine(QStringLiteral("^\\s*[0-9.]+ %1: (.*)$").arg(QLatin1Char(who)));
    QList<QByteArray> sent;
    bool inSession = false;
    for (const QByteArray& line : transcriptLines()) {
        if (line.startsWith("### "))
            inSession = line.startsWith(heading);
        else if (inSession) {
            const QRegularExpressionMatch match = serverLine.match(QString::fromUtf8(line));
            if (match.hasMatch())
                sent << withLineEnd(match.captured(1).toUtf8());
        }
    }
    return sent;
}

QList<QByteArray> transcriptNoteCalls()
{
    QList<QByteArray> calls;
    bool inNotes = false;
    for (const QByteArray& line : transcriptLines()) {
        if (line.startsWith("Notes on the sessions"))
            inNotes = true;
        else if (line.startsWith("Call log file"))
            inNotes = false;
        else if (inNotes && line.trimmed().startsWith("CID: "))
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
            ++m_connections;
            m_sockets.push_back(socket);
            connect(socket, &QTcpSocket::readyRead, this, [this, socket] {
                while (socket->canReadLine())
                    received << socket->readLine().trimmed();
            });
            connect(socket, &QTcpSocket::bytesWritten, this, &Server::floodMore);
            connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
                m_sockets.erase(std::remove(m_sockets.begin(), m_sockets.end(), socket), m_sockets.end());
                socket->deleteLater();
            });
            for (const QByteArray& line : m_greeting)
                socket->write(line);
        }
    });
}

bool Server::listen(quint16 port)
{
    if (!m_server.listen(QHostAddress::LocalHost, port))
        return false;
    m_port = m_server.serverPort();
    return true;
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
    constexpr qint64 MostQueued = 256 * 1024;
    for (QTcpSocket* socket : m_sockets) {
        while (m_floodLeft > 0 && socket->bytesToWrite() < MostQueued) {
            const QByteArray piece = m_floodUnit.left(qsizetype(qMin<qint64>(m_floodUnit.size(), m_floodLeft)));
            socket->write(piece);
            m_floodLeft -= piece.size();
        }
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
        m_socket.setReadBufferSize(1); // Qt takes no more from the system: the sender's queue grows
    connect(&m_socket, &QTcpSocket::readyRead, this, [this] {
        if (!m_reads)
            return;
        m_partial += m_socket.readAll();
        qsizetype end = 0;
        while ((end = m_partial.indexOf('\n')) >= 0) {
            lines << m_partial.left(end).trimmed();
            m_partial.remove(0, end + 1);
            emit lineReceived(lines.last());
        }
    });
}

bool Client::connectTo(quint16 port, const QByteArray& hello)
{
    if (!m_reads)
        m_socket.setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption, 4096);
    connect(&m_socket, &QTcpSocket::connected, this, [this] { m_wasConnected = true; });
    m_socket.connectToHost(QHostAddress::LocalHost, port);
    if (!waitFor([this] { return m_wasConnected; }))
        return false;
    if (!hello.isEmpty())
        m_socket.write(hello);
    return true;
}

bool Client::waitForLine(const QByteArray& start, int timeoutMs)
{
    return waitFor(
        [&] { return std::any_of(lines.begin(), lines.end(), [&](const QByteArray& l) { return l.startsWith(start); }); },
        timeoutMs);
}

} // namespace NcidPeer
