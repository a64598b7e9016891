#include "NotificationServer.h"

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
