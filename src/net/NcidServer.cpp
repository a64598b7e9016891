#include "NcidServer.h"

#include "NcidCallLine.h"
#include "NcidEndpoint.h"
#include "strings.h"

#include <QHostAddress>
#include <QTcpSocket>

#include <algorithm>

NcidServer::NcidServer(QObject* parent) : QObject(parent)
{
    connect(&m_server, &QTcpServer::newConnection, this, &NcidServer::onNewConnection);
}

NcidServer::~NcidServer()
{
    closeAll();
}

QString NcidServer::listen(const QString& address)
{
    const QString text = address.trimmed();
    if (text == m_address && (m_server.isListening() || text.isEmpty()))
        return QString();
    closeAll();
    m_address = text;
    if (text.isEmpty())
        return QString();
    const std::optional<NcidEndpoint> endpoint = parseNcidEndpoint(text);
    QHostAddress host;
    if (endpoint && !host.setAddress(endpoint->host) && endpoint->host == QLatin1String("localhost"))
        host = QHostAddress::LocalHost;
    if (!endpoint || host.isNull())
        return QString::fromUtf8(Texts::NcidListenBadAddress).arg(text);
    if (!m_server.listen(host, endpoint->port))
        return QString::fromUtf8(Texts::NcidListenFailed).arg(text, m_server.errorString());
    return QString();
}

void NcidServer::closeAll()
{
    m_server.close();
    for (NcidServedClient* client : std::vector<NcidServedClient*>(m_clients)) {
        disconnect(client, nullptr, this, nullptr);
        delete client;
    }
    m_clients.clear();
}

void NcidServer::onNewConnection()
{
    while (QTcpSocket* socket = m_server.nextPendingConnection()) {
        if (clientCount() >= MostClients) {
            // Told why in an alert line, which clients show; closed once that is sent.
            socket->write("MSG: " + QString::fromUtf8(Texts::NcidTooManyClients).arg(MostClients).toUtf8() + "\r\n");
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            socket->disconnectFromHost();
            continue;
        }
        auto* client = new NcidServedClient(socket, m_callLog, m_helloMs, this);
        connect(client, &NcidServedClient::gone, this, [this](NcidServedClient* goneClient) {
            m_clients.erase(std::remove(m_clients.begin(), m_clients.end(), goneClient), m_clients.end());
            emit clientCountChanged(clientCount());
        });
        m_clients.push_back(client);
        emit clientCountChanged(clientCount());
    }
}

void NcidServer::serveCall(const QString& shownNumber, const QString& name, const QDateTime& when, bool hungUp)
{
    const QByteArray line = NcidCallLine::format(hungUp ? "HUP" : "CID", shownNumber, name, when);
    // A client dropped while sending leaves the list: go over a copy.
    for (NcidServedClient* client : std::vector<NcidServedClient*>(m_clients))
        client->send(line);
}
