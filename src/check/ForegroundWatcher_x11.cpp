// The active window on X11: the window manager keeps it in the root window's
// _NET_ACTIVE_WINDOW property (EWMH). A PropertyNotify on the root, seen by a
// native event filter on Qt's own xcb connection, says it changed; nothing
// polls. The application is named by the window's WM_CLASS and, where the
// program sets _NET_WM_PID (many do not), by its process's executable.

#include "ForegroundWatcher.h"

#include <QAbstractNativeEventFilter>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <unistd.h>

namespace {
struct Atoms
{
    xcb_atom_t activeWindow = XCB_ATOM_NONE;
    xcb_atom_t supported = XCB_ATOM_NONE;
    xcb_atom_t pid = XCB_ATOM_NONE;
};

xcb_atom_t internAtom(xcb_connection_t* connection, const char* name)
{
    const auto cookie = xcb_intern_atom(connection, 0, static_cast<uint16_t>(qstrlen(name)), name);
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(connection, cookie, nullptr);
    const xcb_atom_t atom = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    free(reply);
    return atom;
}

// The value of a property, as raw bytes; empty when it is missing.
QByteArray readProperty(xcb_connection_t* connection, xcb_window_t window, xcb_atom_t property, xcb_atom_t type)
{
    // 1024 four-byte units hold any class name or atom list this watcher reads.
    const auto cookie = xcb_get_property(connection, 0, window, property, type, 0, 1024);
    // A window may be gone by the time it is asked about: the error is taken
    // here rather than logged by Qt as an unhandled one.
    xcb_generic_error_t* error = nullptr;
    xcb_get_property_reply_t* reply = xcb_get_property_reply(connection, cookie, &error);
    free(error);
    QByteArray value;
    if (reply && reply->type != XCB_ATOM_NONE)
        value = QByteArray(static_cast<const char*>(xcb_get_property_value(reply)),
                           xcb_get_property_value_length(reply) * (reply->format / 8));
    free(reply);
    return value;
}

template <typename T> QList<T> propertyItems(const QByteArray& value)
{
    QList<T> items(value.size() / int(sizeof(T)));
    memcpy(items.data(), value.constData(), items.size() * sizeof(T));
    return items;
}

// The executable's base name of a local process, decoded as file names are;
// comm (at most 15 bytes) when the executable link cannot be read, as for
// another user's process.
std::string executableOf(uint32_t pid)
{
    const QString proc = QStringLiteral("/proc/%1/").arg(pid);
    const QString target = QFileInfo(proc + QStringLiteral("exe")).symLinkTarget();
    if (!target.isEmpty())
        return QFileInfo(target).fileName().toStdString();
    QFile comm(proc + QStringLiteral("comm"));
    if (!comm.open(QIODevice::ReadOnly))
        return std::string();
    return QFile::decodeName(comm.readLine(64).trimmed()).toStdString();
}

// A part of WM_CLASS is Latin-1 by the ICCCM, but Qt and GTK programs write it
// in the locale's encoding, nowadays UTF-8: a part that is valid UTF-8 is
// offered read both ways.
void addClassNames(const QByteArray& part, std::vector<std::string>& classes)
{
    const QString latin1 = QString::fromLatin1(part);
    classes.push_back(latin1.toStdString());
    const QString utf8 = QString::fromUtf8(part);
    if (utf8 != latin1 && utf8.toUtf8() == part)
        classes.push_back(utf8.toStdString());
}

class X11ForegroundWatcher : public ForegroundWatcher, private QAbstractNativeEventFilter
{
public:
    ~X11ForegroundWatcher() override { stop(); }

    bool start(Handler handler) override
    {
        stop();
        if (!connectToDisplay())
            return false;
        m_handler = std::move(handler);
        watchRoot(true);
        qGuiApp->installNativeEventFilter(this);
        reportActiveWindow(true);
        return true;
    }

    bool seesOwnWindows() const override { return true; }

    void stop() override
    {
        if (!m_handler)
            return;
        qGuiApp->removeNativeEventFilter(this);
        watchRoot(false);
        m_handler = nullptr;
    }

private:
    bool connectToDisplay();
    void watchRoot(bool on);
    void reportActiveWindow(bool alreadyActive);
    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

    Handler m_handler;
    xcb_connection_t* m_connection = nullptr;
    xcb_window_t m_root = XCB_WINDOW_NONE;
    Atoms m_atoms;
    bool m_addedPropertyMask = false;
};

// Only an X11 session whose window manager says it keeps _NET_ACTIVE_WINDOW
// tells which window is active; Wayland, the offscreen platform and older
// window managers do not.
bool X11ForegroundWatcher::connectToDisplay()
{
    const auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    m_connection = x11 ? x11->connection() : nullptr;
    if (!m_connection)
        return false;
    m_root = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;
    m_atoms.activeWindow = internAtom(m_connection, "_NET_ACTIVE_WINDOW");
    m_atoms.supported = internAtom(m_connection, "_NET_SUPPORTED");
    m_atoms.pid = internAtom(m_connection, "_NET_WM_PID");
    const auto supported =
        propertyItems<xcb_atom_t>(readProperty(m_connection, m_root, m_atoms.supported, XCB_ATOM_ATOM));
    return m_atoms.activeWindow != XCB_ATOM_NONE && supported.contains(m_atoms.activeWindow);
}

// Event masks are per client: Qt's connection may already listen to the root's
// properties, and then keeps doing so after this watcher stops.
void X11ForegroundWatcher::watchRoot(bool on)
{
    const auto cookie = xcb_get_window_attributes(m_connection, m_root);
    xcb_get_window_attributes_reply_t* reply = xcb_get_window_attributes_reply(m_connection, cookie, nullptr);
    if (!reply)
        return;
    uint32_t mask = reply->your_event_mask;
    free(reply);
    if (on) {
        m_addedPropertyMask = !(mask & XCB_EVENT_MASK_PROPERTY_CHANGE);
        mask |= XCB_EVENT_MASK_PROPERTY_CHANGE;
    } else if (m_addedPropertyMask) {
        mask &= ~uint32_t(XCB_EVENT_MASK_PROPERTY_CHANGE);
        m_addedPropertyMask = false;
    }
    xcb_change_window_attributes(m_connection, m_root, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(m_connection);
}

void X11ForegroundWatcher::reportActiveWindow(bool alreadyActive)
{
    const auto windows =
        propertyItems<xcb_window_t>(readProperty(m_connection, m_root, m_atoms.activeWindow, XCB_ATOM_WINDOW));
    // The window manager sets none between two windows: not an activation.
    if (windows.isEmpty() || windows.first() == XCB_WINDOW_NONE)
        return;
    const xcb_window_t window = windows.first();

    ForegroundApp app;
    app.alreadyActive = alreadyActive;
    // WM_CLASS is two strings, instance then class, each ending in a zero byte.
    const QByteArray wmClass = readProperty(m_connection, window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING);
    for (const QByteArray& part : wmClass.split('\0'))
        if (!part.isEmpty())
            addClassNames(part, app.classes);
    app.transient = !readProperty(m_connection, window, XCB_ATOM_WM_TRANSIENT_FOR, XCB_ATOM_WINDOW).isEmpty();
    const auto pids = propertyItems<uint32_t>(readProperty(m_connection, window, m_atoms.pid, XCB_ATOM_CARDINAL));
    if (!pids.isEmpty()) {
        app.ownProcess = pids.first() == uint32_t(getpid());
        app.executable = executableOf(pids.first());
    }
    m_handler(app);
}

bool X11ForegroundWatcher::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*)
{
    if (eventType != "xcb_generic_event_t")
        return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    if ((event->response_type & 0x7f) != XCB_PROPERTY_NOTIFY)
        return false;
    const auto* notify = static_cast<const xcb_property_notify_event_t*>(message);
    if (notify->window == m_root && notify->atom == m_atoms.activeWindow && m_handler)
        reportActiveWindow(false);
    // Qt sees the event too: it follows the same property for its own windows.
    return false;
}
} // namespace

std::unique_ptr<ForegroundWatcher> createForegroundWatcher()
{
    return std::make_unique<X11ForegroundWatcher>();
}
