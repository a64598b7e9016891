#pragma once

#include <QDBusAbstractAdaptor>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QList>
#include <QObject>
#include <QStringList>
#include <QVariantMap>

struct NotifyRequest
{
    QString appName;
    uint replacesId;
    QString icon;
    QString summary;
    QString body;
    QStringList actions;
    QVariantMap hints;
};

// The org.freedesktop.Notifications interface as a desktop's server offers it.
class NotificationsAdaptor : public QDBusAbstractAdaptor
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

public:
    NotificationsAdaptor(QObject* parent, const QStringList& capabilities)
        : QDBusAbstractAdaptor(parent), m_capabilities(capabilities)
    {
    }

    QList<NotifyRequest> requests;
    QList<uint> ids;       // the ids answered, in order
    int answerAfterMs = 0; // a slow server answers Notify this much later

public slots:
    QStringList GetCapabilities() { return m_capabilities; }

    // Every notification gets an id of its own, a replacing one too (servers may do either).
    uint Notify(const QString& appName, uint replacesId, const QString& icon, const QString& summary,
                const QString& body, const QStringList& actions, const QVariantMap& hints, int,
                const QDBusMessage& message)
    {
        requests.append({appName, replacesId, icon, summary, body, actions, hints});
        ids.append(m_nextId++);
        if (answerAfterMs > 0)
            answerLater(message, ids.last());
        return ids.last();
    }

signals:
    void ActionInvoked(uint id, const QString& actionKey);

private:
    void answerLater(const QDBusMessage& call, uint id);

    QStringList m_capabilities;
    uint m_nextId = 41;
};

// A notification server on a connection of its own to the test's private
// session bus, owning the service's name while it lives.
class NotificationServer
{
public:
    explicit NotificationServer(const QStringList& capabilities = {QStringLiteral("actions"), QStringLiteral("body")});
    ~NotificationServer();

    NotificationsAdaptor* adaptor;
    bool registered = false;

private:
    QObject m_object;
    QDBusConnection m_bus;
};
