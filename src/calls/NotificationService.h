#pragma once

#include <QString>

#include <functional>
#include <memory>

// The desktop's own notification service, where the platform has one: the
// freedesktop.org service on the session bus on Linux desktops. Windows has
// none to call by name; there a program's notices are the messages of its
// notification-area icon, which the caller shows itself.
class NotificationService
{
public:
    struct Notice
    {
        QString summary;
        QString body; // plain text, escaped here for a server that reads markup
    };
    // Told once for each notice sent, later, on this thread: whether the service showed it.
    using Sent = std::function<void(const Notice& notice, bool shown)>;
    // What the user chose on the last notice shown: the notice itself (its
    // default action), or to block its caller.
    enum class Action { Show, Block };
    using Clicked = std::function<void(Action action)>;

    virtual ~NotificationService() = default;

    // Shows `notice` in place of the last one. Returns at once: the service is
    // reached, and answers, while the event loop runs. A notice given while
    // another is on its way waits for that one's answer, so that it can replace
    // it; a newer notice takes the waiting one's place unsent.
    virtual void send(const Notice& notice) = 0;
};

// The platform's service, or null where it has none. Nothing is reached before
// the first notice.
std::unique_ptr<NotificationService> createNotificationService(NotificationService::Sent sent,
                                                               NotificationService::Clicked clicked);
