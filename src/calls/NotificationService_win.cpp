// Windows: no notification service to call; the caller's notification-area
// icon shows the message instead.

#include "NotificationService.h"

std::unique_ptr<NotificationService> createNotificationService(NotificationService::Sent, NotificationService::Clicked)
{
    return nullptr;
}
