#include "NcidServedClient.h"

#include "AppId.h"

#include <QTcpSocket>

namespace {
// A client's lines are short; what it sends beyond this waits in the system's buffers.
constexpr qint64 ReadBufferBytes = 16 * 1024;
} // namespace

NcidServedClient::NcidServedClient(QTcpSocket* socket, CallLog callLog, int helloMs, QObject* parent)
    : QObject(parent), m_socket(socket), m_callLog(std::move(callLog))
{
    m_socket->setParent(this);
    m_socket->setReadBufferSize(ReadBufferBytes);
    connect(m_socket, &QTcpSocket::readyRead, this, &NcidServedClient::onReadyRead);
    connect(m_socket, &QTcpSocket::disconnected, this, &NcidServedClient::drop);
    connect(m_socket, &QTcpSocket::errorOccurred, this, &NcidServedClient::drop);
    // Feature sets: 1, the calls; 4, "REQ: YO" answered.
    write("200 Server: ringlet (Ringlet) " RINGLET_VERSION "\r\n"
          "210 API: 1.5 Feature Set 1 4\r\n");
    // Clients send their HELLO lines at once; the call log waits for them.
    m_helloWait.setSingleShot(true);
    connect(&m_helloWait, &QTimer::timeout, this, &NcidServedClient::endStartup);
    m_helloWait.start(helloMs);
}

void NcidServedClient::send(const QByteArray& line)
{
    if (m_started) {
        write(line);
        return;
    }
    m_held += line;
    if (m_held.size() > LongestQueue)
        drop();
}

void NcidServedClient::onReadyRead()
{
    char chunk[4096];
    qint64 got = 0;
    while (!m_gone && (got = m_socket->read(chunk, sizeof chunk)) > 0) {
        m_reader.feed(chunk, got, [this](const QByteArray& line) { onLine(line); });
        if (m_reader.droppedLines() > 0)
            drop(); // no client of the protocol sends such a line
    }
}

void NcidServedClient::onLine(const QByteArray& line)
{
    if (m_gone)
        return;
    if (!m_started && line.startsWith("HELLO:")) {
        if (line.simplified() == "HELLO: CMD: no_log")
            m_noLog = true;
    } else if (line.trimmed() == "REQ: YO") {
        write("ACK: REQ: YO\r\n");
    }
    // Empty lines (a client's keep-alive), late HELLOs and lines not known: nothing to do.
}

void NcidServedClient::endStartup()
{
    if (m_gone)
        return;
    const std::optional<QList<QByteArray>> log = m_noLog ? std::nullopt : m_callLog();
    QByteArray lines;
    if (!log)
        lines = "251 Call log not sent\r\n";
    else if (log->isEmpty())
        lines = "252 Call log empty\r\n";
    else
        lines = log->join() + "250 End of call log\r\n";
    lines += "300 End of connection startup\r\n";
    m_started = true;
    write(lines + m_held);
    m_held.clear();
}

void NcidServedClient::write(const QByteArray& bytes)
{
    if (m_gone)
        return;
    m_socket->write(bytes);
    if (m_socket->bytesToWrite() > LongestQueue)
        drop();
}

void NcidServedClient::drop()
{
    if (m_gone)
        return;
    m_gone = true;
    m_helloWait.stop();
    m_socket->abort();
    emit gone(this);
    deleteLater();
}
