#include "CallNotifier.h"

#include "CallerText.h"
#include "strings.h"

#include <QSystemTrayIcon>

CallNotifier::CallNotifier(const QIcon& icon, QObject* parent) : QObject(parent), m_icon(icon)
{
    m_service = createNotificationService(
        [this](const NotificationService::Notice& notice, bool shown) { onSent(notice, shown); },
        [this](NotificationService::Action action) {
            if (action == NotificationService::Action::Show)
                emit activated();
            else
                emit blockAsked(m_lastNumber);
        });
}

CallNotifier::~CallNotifier() = default;

void CallNotifier::notifyCall(const QString& number, const QString& name)
{
    m_lastNumber = number;
    const QString caller = CallerText::name(name);
    const NotificationService::Notice notice{caller.isEmpty() ? QString::fromUtf8(Texts::IncomingCall) : caller,
                                             CallerText::number(number)};
    if (m_service)
        m_service->send(notice);
    else
        onSent(notice, false);
}

void CallNotifier::notifyMessage(const QString& text)
{
    const NotificationService::Notice notice{QString::fromUtf8(Texts::NcidMessage), CallerText::name(text)};
    if (m_service)
        m_service->send(notice);
    else
        onSent(notice, false);
}

void CallNotifier::onSent(const NotificationService::Notice& notice, bool shown)
{
    if (shown)
        emit delivered(Delivery::Service);
    else
        emit delivered(showTrayMessage(notice) ? Delivery::TrayMessage : Delivery::None);
}

bool CallNotifier::showTrayMessage(const NotificationService::Notice& notice)
{
    // A tray may come and go with the panel that holds it: asked at every call.
    if (!QSystemTrayIcon::isSystemTrayAvailable())
        return false;
    if (!m_tray) {
        m_tray = new QSystemTrayIcon(m_icon, this);
        connect(m_tray, &QSystemTrayIcon::messageClicked, this, &CallNotifier::activated);
        connect(m_tray, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
            if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick)
                emit activated();
        });
    }
    // The icon stays after the message, showing the last call, until the program ends.
    m_tray->setToolTip(notice.summary + QLatin1Char('\n') + notice.body);
    m_tray->show();
    m_tray->showMessage(notice.summary, notice.body, m_icon);
    return true;
}
