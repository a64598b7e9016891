#pragma once

#include "AppActivationRule.h"
#include "ForegroundWatcher.h"

#include <QObject>

#include <memory>

// Starts a check when the user activates the named application: each time the
// active application changes from one that does not match `anotherapp` to one
// that does. Ringlet's own windows never match; its main window counts as
// another application, while its dialogs and status window, which come and go
// during a check, count as nothing at all, so returning from them starts nothing.
class AppActivationTrigger : public QObject
{
    Q_OBJECT

public:
    // `watcher`: the desktop's foreground watcher; the platform's own when null.
    explicit AppActivationTrigger(std::unique_ptr<ForegroundWatcher> watcher = nullptr, QObject* parent = nullptr);
    ~AppActivationTrigger() override;

    // Starts watching for `anotherApp`. Returns what to tell the user when
    // nothing could be armed (no application named, a desktop that does not
    // say which application is active), else an empty text.
    QString arm(const QString& anotherApp);
    void disarm();
    bool isArmed() const { return m_armed; }

signals:
    // Emitted from the event loop, never from inside the desktop's notification.
    void checkWanted();

private:
    void onForeground(const ForegroundApp& app);
    void onOwnWindow(bool transient);

    std::unique_ptr<ForegroundWatcher> m_watcher;
    AppActivationRule m_rule;
    QMetaObject::Connection m_focusConnection;
    bool m_armed = false;
    bool m_inOwnDialog = false; // one of Ringlet's dialogs had the focus since another application last had it
};
