#pragma once

#include "NcidServedClient.h"

#include <QObject>
#include <QString>
#include <QTcpServer>

#include <vector>

// This desk's calls for other desks: an NCID server on the address and port
// it is given. Each client gets the start-up lines, then a CID line for each
// call served. At most MostClients at a time: one more is told why, and closed.
class NcidServer : public QObject
{
    Q_OBJECT

public:
    static constexpr int MostClients = 64;
    // How long a new client's HELLO lines are waited for.
    static constexpr int HelloMs = 100;

    explicit NcidServer(QObject* parent = nullptr);
    ~NcidServer() override;

    // Listens on `address` ("0.0.0.0:3333", "127.0.0.1:3333"); an empty text
    // stops listening and lets the clients go. Returns the words that say why
    // it cannot listen, else an empty text.
    QString listen(const QString& address);
    bool isListening() const { return m_server.isListening(); }
    quint16 port() const { return m_server.serverPort(); }
    int clientCount() const { return int(m_clients.size()); }

    void setCallLog(NcidServedClient::CallLog callLog) { m_callLog = std::move(callLog); }
    void setHelloMs(int ms) { m_helloMs = ms; }

    // Sends the call to every client as a CID line.
    // `hungUp`: the caller was blocked and hung up on, told as a HUP: line.
    void serveCall(const QString& shownNumber, const QString& name, const QDateTime& when, bool hungUp = false);

signals:
    void clientCountChanged(int count);

private:
    void onNewConnection();
    void closeAll();

    QTcpServer m_server;
    QString m_address;
    std::vector<NcidServedClient*> m_clients;
    NcidServedClient::CallLog m_callLog = [] { return std::nullopt; };
    int m_helloMs = HelloMs;
};
