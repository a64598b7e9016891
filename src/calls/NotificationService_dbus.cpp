// The freedesktop.org notification service (org.freedesktop.Notifications on
// the session bus), which GNOME, KDE, Xfce, dunst and most other desktops run.
//
// Every call is asynchronous, so a server that is slow to start (bus
// activation) or hangs never holds up the window; it is given ReplyTimeoutMs
// before its notice counts as not shown. Its answer is still awaited for up to
// LateReplyMs, and the next notice waits for it: the late notice's id is what
// the next one replaces, so the notices of a slow server do not pile up. The server's capabilities are asked
// once, before the first notice, and again after any failure, as the server
// that answers next may be another one. When the server goes (or another takes
// its name), the id of the last notice is forgotten: a new server numbers its
// notifications anew, and that id may be another program's.

#include "NotificationService.h"

#include "AppId.h"
#include "strings.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>
#include <QObject>
#include <QStringList>
#include <QTimer>
#include <QVariantMap>

#include <optional>

namespace {
const char ServiceName[] = "org.freedesktop.Notifications";
const char ObjectPath[] = "/org/freedesktop/Notifications";
const char InterfaceName[] = "org.freedesktop.Notifications";
const char DefaultAction[] = "default";
const char BlockAction[] = "block";
constexpr int ReplyTimeoutMs = 5000;
constexpr int LateReplyMs = 60000;

QDBusMessage methodCall(const char* method)
{
    return QDBusMessage::createMethodCall(QLatin1String(ServiceName), QLatin1String(ObjectPath),
                                          QLatin1String(InterfaceName), QLatin1String(method));
}

class FreedesktopNotifications : public QObject, public NotificationService
{
    Q_OBJECT

public:
    FreedesktopNotifications(Sent sent, Clicked clicked) : m_sent(std::move(sent)), m_clicked(std::move(clicked))
    {
        m_slow.setSingleShot(true);
        m_slow.setInterval(ReplyTimeoutMs);
        connect(&m_slow, &QTimer::timeout, this, [this] {
            m_saidNotShown = true;
            m_sent(m_current, false);
        });
    }

    void send(const Notice& notice) override
    {
        if (m_busy)
            m_waiting = notice;
        else
            start(notice);
    }

private slots:
    // A bus signal reaches a slot by its name only: QtDBus has no function-pointer connect.
    void onActionInvoked(uint id, const QString& action)
    {
        // Servers send the signal to every client: only a click on our own last notice counts.
        if (id == 0 || id != m_lastId)
            return;
        if (action == QLatin1String(DefaultAction))
            m_clicked(Action::Show);
        else if (action == QLatin1String(BlockAction))
            m_clicked(Action::Block);
    }

private:
    void start(const Notice& notice)
    {
        m_busy = true;
        QDBusConnection bus = QDBusConnection::sessionBus();
        if (!bus.isConnected()) {
            finish(notice, false);
            return;
        }
        if (!m_serverWatch) {
            m_serverWatch = new QDBusServiceWatcher(QLatin1String(ServiceName), bus,
                                                    QDBusServiceWatcher::WatchForOwnerChange, this);
            connect(m_serverWatch, &QDBusServiceWatcher::serviceOwnerChanged, this, [this] {
                m_lastId = 0;
                m_markup.reset();
            });
        }
        if (!m_subscribed)
            m_subscribed =
                bus.connect(QLatin1String(ServiceName), QLatin1String(ObjectPath), QLatin1String(InterfaceName),
                            QStringLiteral("ActionInvoked"), this, SLOT(onActionInvoked(uint, QString)));
        if (m_markup)
            notify(bus, notice);
        else
            askCapabilities(bus, notice);
    }

    void askCapabilities(const QDBusConnection& bus, const Notice& notice)
    {
        whenAnswered(bus.asyncCall(methodCall("GetCapabilities"), ReplyTimeoutMs),
                     [this, notice](QDBusPendingCall call) {
                         const QDBusPendingReply<QStringList> reply = call;
                         if (reply.isError()) {
                             finish(notice, false);
                             return;
                         }
                         m_markup = reply.value().contains(QLatin1String("body-markup"));
                         notify(QDBusConnection::sessionBus(), notice);
                     });
    }

    void notify(const QDBusConnection& bus, const Notice& notice)
    {
        const QString appId = QStringLiteral(RINGLET_APP_ID);
        // A server that reads markup would drop a number's "<...>" or stumble on its "&".
        const QString body = *m_markup ? notice.body.toHtmlEscaped() : notice.body;
        const QStringList actions{QLatin1String(DefaultAction), QString::fromUtf8(Texts::ShowRinglet),
                                  QLatin1String(BlockAction), QString::fromUtf8(Texts::BlockCallerItem).remove(QLatin1Char('&'))};
        const QVariantMap hints{{QStringLiteral("desktop-entry"), appId},
                                {QStringLiteral("category"), QStringLiteral("call.incoming")}};
        QDBusMessage message = methodCall("Notify");
        // The icon by name: the installed one carries the app id's name.
        message << QString::fromUtf8(Texts::MainTitle) << m_lastId << appId << notice.summary << body << actions
                << hints << -1;
        m_current = notice;
        m_saidNotShown = false;
        m_slow.start();
        whenAnswered(bus.asyncCall(message, LateReplyMs), [this, notice](QDBusPendingCall call) {
            m_slow.stop();
            const QDBusPendingReply<uint> reply = call;
            if (!reply.isError())
                m_lastId = reply.value();
            finish(notice, !reply.isError());
        });
    }

    void finish(const Notice& notice, bool shown)
    {
        m_busy = false;
        if (!shown)
            m_markup.reset();
        // A late answer: the notice was said not shown when the server was slow.
        if (!m_saidNotShown)
            m_sent(notice, shown);
        m_saidNotShown = false;
        if (m_waiting) {
            const Notice next = *m_waiting;
            m_waiting.reset();
            start(next);
        }
    }

    // Runs `handler` with the answer to `call` on this thread; never once this object is gone.
    template <typename Handler> void whenAnswered(const QDBusPendingCall& call, Handler handler)
    {
        auto* watcher = new QDBusPendingCallWatcher(call, this);
        connect(watcher, &QDBusPendingCallWatcher::finished, this, [watcher, handler] {
            watcher->deleteLater();
            handler(*watcher);
        });
    }

    Sent m_sent;
    Clicked m_clicked;
    std::optional<Notice> m_waiting; // the newest notice given while another was on its way
    std::optional<bool> m_markup;    // whether the server reads the body as markup, once asked
    uint m_lastId = 0;               // the server's id of the last notice shown, replaced by the next
    bool m_busy = false;
    bool m_subscribed = false;
    QDBusServiceWatcher* m_serverWatch = nullptr;
    QTimer m_slow;    // ReplyTimeoutMs after a Notify: the notice counts as not shown
    Notice m_current; // the notice whose Notify is on its way
    bool m_saidNotShown = false;
};
} // namespace

std::unique_ptr<NotificationService> createNotificationService(NotificationService::Sent sent,
                                                               NotificationService::Clicked clicked)
{
    return std::make_unique<FreedesktopNotifications>(std::move(sent), std::move(clicked));
}

#include "NotificationService_dbus.moc"
