#include "X11Desktop.h"

#include <QDeadlineTimer>
#include <QGuiApplication>
#include <QTest>

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>

namespace {
xcb_connection_t* connection()
{
    const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

xcb_window_t root()
{
    return xcb_setup_roots_iterator(xcb_get_setup(connection())).data->root;
}

xcb_atom_t atom(const char* name)
{
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
        connection(), xcb_intern_atom(connection(), 0, std::uint16_t(std::strlen(name)), name), nullptr);
    const xcb_atom_t result = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(reply);
    return result;
}

QByteArray property(xcb_window_t window, xcb_atom_t name, xcb_atom_t type)
{
    xcb_get_property_reply_t* reply =
        xcb_get_property_reply(connection(), xcb_get_property(connection(), 0, window, name, type, 0, 4096), nullptr);
    QByteArray value;
    if (reply)
        value = QByteArray(static_cast<const char*>(xcb_get_property_value(reply)),
                           xcb_get_property_value_length(reply) * (reply->format / 8));
    std::free(reply);
    return value;
}

// A 32-bit client message about `window` with one datum and the current time,
// sent to `destination` with `mask`.
void sendClientMessage(xcb_window_t destination, xcb_window_t window, xcb_atom_t type, std::uint32_t datum,
                       std::uint32_t mask)
{
    xcb_client_message_event_t event = {};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = window;
    event.type = type;
    event.data.data32[0] = datum;
    event.data.data32[1] = XCB_CURRENT_TIME;
    xcb_send_event(connection(), 0, destination, mask, reinterpret_cast<const char*>(&event));
    xcb_flush(connection());
}

QList<std::uint32_t> words(const QByteArray& value)
{
    QList<std::uint32_t> list(value.size() / 4);
    std::memcpy(list.data(), value.constData(), list.size() * 4);
    return list;
}
} // namespace

namespace X11Desktop {
bool waitForWindowManager(int timeoutMs)
{
    if (!connection())
        return false;
    const xcb_atom_t active = atom("_NET_ACTIVE_WINDOW");
    const QDeadlineTimer deadline(timeoutMs);
    while (!words(property(root(), atom("_NET_SUPPORTED"), XCB_ATOM_ATOM)).contains(active)) {
        if (deadline.hasExpired())
            return false;
        QTest::qWait(50);
    }
    return true;
}

QList<Window> waitForClients(const QByteArray& instance, int count, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    QList<Window> found;
    while (!deadline.hasExpired()) {
        found.clear();
        for (std::uint32_t window : words(property(root(), atom("_NET_CLIENT_LIST"), XCB_ATOM_WINDOW)))
            if (property(window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING).split('\0').value(0) == instance)
                found << window;
        if (found.size() >= count)
            break;
        QTest::qWait(50);
    }
    return found;
}

void activate(Window window)
{
    // Source indication 2 (a pager): the window manager obeys without applying
    // its focus-stealing rules.
    sendClientMessage(root(), window, atom("_NET_ACTIVE_WINDOW"), 2,
                      XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY);
}

Window activeWindow()
{
    return words(property(root(), atom("_NET_ACTIVE_WINDOW"), XCB_ATOM_WINDOW)).value(0);
}

void requestClose(Window window)
{
    sendClientMessage(window, window, atom("WM_PROTOCOLS"), atom("WM_DELETE_WINDOW"), XCB_EVENT_MASK_NO_EVENT);
}

Window createWindow(const QByteArray& wmClass)
{
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection())).data;
    const xcb_window_t window = xcb_generate_id(connection());
    xcb_create_window(connection(), XCB_COPY_FROM_PARENT, window, screen->root, 0, 0, 120, 80, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, 0, nullptr);
    xcb_change_property(connection(), XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 8,
                        std::uint32_t(wmClass.size()), wmClass.constData());
    xcb_map_window(connection(), window);
    xcb_flush(connection());
    return window;
}

void destroyWindow(Window window)
{
    xcb_destroy_window(connection(), window);
    xcb_flush(connection());
}

Window claimSystemTray()
{
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection())).data;
    const xcb_window_t window = xcb_generate_id(connection());
    xcb_create_window(connection(), XCB_COPY_FROM_PARENT, window, screen->root, 0, 0, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
    xcb_set_selection_owner(connection(), window, atom("_NET_SYSTEM_TRAY_S0"), XCB_CURRENT_TIME);
    xcb_flush(connection());
    return window;
}
} // namespace X11Desktop
