#include "AppActivationTrigger.h"

#include "ForegroundWatcher.h"
#include "strings.h"

#include <QGuiApplication>
#include <QTimer>
#include <QWindow>

AppActivationTrigger::AppActivationTrigger(std::unique_ptr<ForegroundWatcher> watcher, QObject* parent)
    : QObject(parent), m_watcher(watcher ? std::move(watcher) : createForegroundWatcher())
{
}

AppActivationTrigger::~AppActivationTrigger()
{
    disarm();
}

QString AppActivationTrigger::arm(const QString& anotherApp)
{
    disarm();
    m_rule = AppActivationRule(anotherApp);
    if (!m_rule.namesAnApplication())
        return QString::fromLatin1(Texts::NoAppNamed);
    if (!m_watcher->start([this](const ForegroundApp& app) { onForeground(app); }))
        return QString::fromLatin1(Texts::ActiveAppUnknown);
    m_armed = true;
    m_inOwnDialog = false;
    // Where the desktop does not report Ringlet's own windows, Qt does, though
    // on X11 it tells of focus changes too late to keep them in order.
    if (!m_watcher->seesOwnWindows())
        m_focusConnection = connect(qGuiApp, &QGuiApplication::focusWindowChanged, this, [this](QWindow* window) {
            if (window)
                onOwnWindow(window->transientParent() != nullptr);
        });
    return QString();
}

void AppActivationTrigger::disarm()
{
    if (!m_armed)
        return;
    m_armed = false;
    disconnect(m_focusConnection);
    m_watcher->stop();
}

void AppActivationTrigger::onForeground(const ForegroundApp& app)
{
    if (app.ownProcess) {
        onOwnWindow(app.transient);
        return;
    }
    m_inOwnDialog = false;
    if (!m_rule.activated(app))
        return;
    // The check runs modal waits of its own; the desktop's notification returns first.
    QTimer::singleShot(0, this, [this] {
        if (m_armed)
            emit checkWanted();
    });
}

// Dialogs, message boxes and the status window are transient; a main window is
// not. The main window counts as another application only when the user comes
// to it from elsewhere, not when a check's status window or a dialog closes and
// hands the focus back to it.
void AppActivationTrigger::onOwnWindow(bool transient)
{
    if (transient)
        m_inOwnDialog = true;
    else if (!m_inOwnDialog)
        m_rule.ringletActivated();
}
