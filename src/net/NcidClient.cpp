#include "NcidClient.h"

#include "AppId.h"
#include "NcidCallLine.h"
#include "strings.h"

namespace {
// What Qt's socket may hold unread: a flooding server waits in its own
// buffers, never in this program's memory.
constexpr qint64 ReadBufferBytes = 64 * 1024;
} // namespace

NcidClient::NcidClient(QObject* parent) : QObject(parent)
{
    m_socket.setReadBufferSize(ReadBufferBytes);
    for (QTimer* timer : {&m_retry, &m_quiet, &m_answerWait})
        timer->setSingleShot(true);
    connect(&m_retry, &QTimer::timeout, this, &NcidClient::connectNow);
    connect(&m_quiet, &QTimer::timeout, this, &NcidClient::onQuiet);
    // No connection within the wait, or no answer to the keep-alive: the link is dead.
    connect(&m_answerWait, &QTimer::timeout, this, [this] {
        m_silent = true;
        m_socket.abort();
        onLinkEnded();
    });
    connect(&m_socket, &QTcpSocket::connected, this, &NcidClient::onConnected);
    connect(&m_socket, &QTcpSocket::readyRead, this, &NcidClient::onReadyRead);
    connect(&m_socket, &QTcpSocket::disconnected, this, &NcidClient::onLinkEnded);
    connect(&m_socket, &QTcpSocket::errorOccurred, this, &NcidClient::onLinkEnded);
}

bool NcidClient::setServer(const QString& server)
{
    if (server.trimmed() == m_serverText && (m_endpoint || server.trimmed().isEmpty()))
        return true;
    stop();
    m_serverText = server.trimmed();
    m_toldUnreachable = false;
    m_nextDelayMs = m_timings.firstRetryMs;
    if (m_serverText.isEmpty())
        return true;
    m_endpoint = parseNcidEndpoint(m_serverText);
    if (!m_endpoint)
        return false;
    connectNow();
    return true;
}

void NcidClient::stop()
{
    m_endpoint.reset();
    for (QTimer* timer : {&m_retry, &m_quiet, &m_answerWait})
        timer->stop();
    m_socket.abort();
}

void NcidClient::connectNow()
{
    if (!m_endpoint)
        return;
    m_socket.abort();
    m_reader.reset();
    m_heardThisLink = false;
    m_answersYo = false;
    m_silent = false;
    m_answerWait.start(m_timings.answerMs);
    m_socket.connectToHost(m_endpoint->host, m_endpoint->port);
}

// The HELLO lines go at once: a server reads them only just after its greeting.
void NcidClient::onConnected()
{
    m_answerWait.stop();
    m_socket.setSocketOption(QAbstractSocket::KeepAliveOption, 1);
    m_socket.write("HELLO: IDENT: client ringlet " RINGLET_VERSION "\r\n"
                   "HELLO: CMD: no_log\r\n");
    m_quiet.start(m_timings.quietMs);
}

void NcidClient::onReadyRead()
{
    // One buffer's worth per turn of the event loop, so the window never waits on a flood.
    char chunk[16 * 1024];
    qint64 got = 0;
    while ((got = m_socket.read(chunk, sizeof chunk)) > 0)
        m_reader.feed(chunk, got, [this](const QByteArray& line) { onLine(line); });
}

void NcidClient::onLine(const QByteArray& line)
{
    m_quiet.start(m_timings.quietMs);
    m_answerWait.stop();
    if (!m_heardThisLink) {
        m_heardThisLink = true;
        m_nextDelayMs = m_timings.firstRetryMs;
        if (m_toldUnreachable) {
            m_toldUnreachable = false;
            emit reachableAgain(QString::fromUtf8(Texts::NcidServerBack).arg(m_serverText));
        }
    }
    // Lines of one server to another, and those this client does not know, are passed over.
    if (line.startsWith('+'))
        return;
    const QByteArray type = NcidCallLine::typeOf(line);
    if (type == "210") {
        m_answersYo = line.mid(line.indexOf("Feature Set")).split(' ').contains("4");
    } else if (type == "300") {
        emit started();
    } else if (NcidCallLine::isCallType(type)) {
        if (const auto caller = NcidCallLine::parseCaller(line))
            emit callCame(caller->number, caller->name);
    } else if (type == "MSG") {
        const QString text = NcidCallLine::messageText(line);
        if (!text.isEmpty())
            emit messageCame(text);
    }
}

// A connection that ended, or one that never opened: tried again later. An
// attempt that brought no line tells, once, that the server cannot be reached.
void NcidClient::onLinkEnded()
{
    if (!m_endpoint || m_retry.isActive())
        return;
    m_quiet.stop();
    m_answerWait.stop();
    if (!m_heardThisLink && !m_toldUnreachable) {
        m_toldUnreachable = true;
        const QString reason =
            m_silent ? QString::fromUtf8(Texts::NcidNoAnswer).arg(m_timings.answerMs / 1000) : m_socket.errorString();
        emit unreachable(QString::fromUtf8(Texts::NcidServerUnreachable).arg(m_serverText, reason));
    }
    m_heardThisLink = false;
    const int delay = m_nextDelayMs;
    m_nextDelayMs = qMin(m_nextDelayMs * 2, m_timings.longestRetryMs);
    m_retry.start(delay);
    m_socket.abort(); // nothing held while waiting
    emit retryScheduled(delay);
}

// An empty line is all a plain server takes; one that acknowledges is asked
// "REQ: YO" and must answer within the wait.
void NcidClient::onQuiet()
{
    if (!isConnected())
        return;
    if (m_answersYo) {
        if (m_answerWait.isActive())
            return; // still waiting for the answer to the last one
        m_socket.write("REQ: YO\r\n");
        m_answerWait.start(m_timings.answerMs);
    } else {
        m_socket.write("\r\n");
    }
    m_quiet.start(m_timings.quietMs);
}
