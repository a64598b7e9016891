#pragma once

#include "NotificationService.h"

#include <QIcon>
#include <QObject>
#include <QString>

#include <memory>

class QSystemTrayIcon;

// Tells the desktop of a call: a notification with the caller's name (or
// "Incoming call") as its summary, the number as its body and Ringlet's icon.
// The desktop's notification service shows it where one answers, each call's
// in place of the last; otherwise the system tray's message, where there is a
// tray; otherwise nothing (the window's own attention request remains). Knows
// nothing of the window: it is told of calls and says when one was clicked.
class CallNotifier : public QObject
{
    Q_OBJECT

public:
    // Which way a call went to the desktop.
    enum class Delivery { Service, TrayMessage, None };
    Q_ENUM(Delivery)

    // `icon` is the tray icon's and its message's; the service names the installed icon instead.
    explicit CallNotifier(const QIcon& icon, QObject* parent = nullptr);
    ~CallNotifier() override;

    // Returns at once; delivered() follows for this call once it is known
    // which way it went (a call replaced by a newer one before it was sent is
    // not reported).
    void notifyCall(const QString& number, const QString& name);
    // A message another desk's server sent, as one line of plain text.
    void notifyMessage(const QString& text);

signals:
    void delivered(CallNotifier::Delivery how);
    // The user clicked the notification, the tray message or the tray icon.
    void activated();
    // The user chose "Block this caller" on the notification of the call from `number`.
    void blockAsked(const QString& number);

private:
    void onSent(const NotificationService::Notice& notice, bool shown);
    bool showTrayMessage(const NotificationService::Notice& notice);

    QIcon m_icon;
    QString m_lastNumber;
    std::unique_ptr<NotificationService> m_service;
    QSystemTrayIcon* m_tray = nullptr; // made on the first message: no tray icon before a call went there
};
