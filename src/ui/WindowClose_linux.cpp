#include "WindowClose.h"

#include <QGuiApplication>
#include <cstdlib>
#include <cstring>
#include <xcb/xcb.h>

namespace {

xcb_atom_t internAtom(xcb_connection_t* connection, const char* name)
{
    const xcb_intern_atom_cookie_t cookie =
        xcb_intern_atom(connection, 0, static_cast<uint16_t>(std::strlen(name)), name);
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(connection, cookie, nullptr);
    const xcb_atom_t atom = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(reply);
    return atom;
}

struct CloseAtoms
{
    xcb_atom_t protocols = XCB_ATOM_NONE;
    xcb_atom_t deleteWindow = XCB_ATOM_NONE;
};

// Asked of the X server once, on the first client message.
const CloseAtoms& closeAtoms()
{
    static const CloseAtoms atoms = [] {
        CloseAtoms result;
        const auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
        if (x11 && x11->connection()) {
            result.protocols = internAtom(x11->connection(), "WM_PROTOCOLS");
            result.deleteWindow = internAtom(x11->connection(), "WM_DELETE_WINDOW");
        }
        return result;
    }();
    return atoms;
}

} // namespace

// Elsewhere than X11 (Wayland, offscreen) no native event is an xcb event.
bool isWindowCloseRequest(const char* eventType, const void* message)
{
    if (!eventType || std::strcmp(eventType, "xcb_generic_event_t") != 0 || !message)
        return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    if ((event->response_type & 0x7f) != XCB_CLIENT_MESSAGE)
        return false;
    const auto* client = static_cast<const xcb_client_message_event_t*>(message);
    const CloseAtoms& atoms = closeAtoms();
    return client->format == 32 && atoms.protocols != XCB_ATOM_NONE && client->type == atoms.protocols &&
           client->data.data32[0] == atoms.deleteWindow;
}
