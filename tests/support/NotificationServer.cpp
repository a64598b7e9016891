#include "NotificationServer.h"

#include <QDBusMessage>
#include <QTimer>

void NotificationsAdaptor::answerLater(const QDBusMessage& call, uint id)
{
    call.setDelayedReply(true);
    const QDBusMessage answer = call.createReply(id);
    // The connection by its name when the time comes: none once the server is gone.
    QTimer::singleShot(answerAfterMs, parent(), [answer] { QDBusConnection(QStringLiteral("server")).send(answer); });
}

NotificationServer::NotificationServer(const QStringList& capabilities)
    : m_bus(QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("server")))
{
    adaptor = new NotificationsAdaptor(&m_object, capabilities);
    m_bus.registerObject(QStringLiteral("/org/freedesktop/Notifications"), &m_object);
    registered = m_bus.registerService(QStringLiteral("org.freedesktop.Notifications"));
}

NotificationServer::~NotificationServer()
{
    QDBusConnection::disconnectFromBus(QStringLiteral("server"));
}
