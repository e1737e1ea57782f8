// The window list of an X11 window manager, read over Qt's own connection to
// the X server. Built only where xcb is; elsewhere there is no list.

#include "CameraDll/desktop/window_stack.h"

#if defined(QUOBEL_CAPTURE_UNIX_BACKENDS)

#include <QGuiApplication>

#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace camera {

namespace {

struct FreeDeleter {
    void operator()(void* p) const { std::free(p); }
};
template <typename T> using Reply = std::unique_ptr<T, FreeDeleter>;

xcb_atom_t Atom(xcb_connection_t* connection, const char* name) {
    const Reply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
        connection,
        xcb_intern_atom(connection, 1, static_cast<std::uint16_t>(std::strlen(name)), name),
        nullptr));
    return reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
}

xcb_get_property_cookie_t AskProperty(xcb_connection_t* connection, xcb_window_t window,
                                      xcb_atom_t property, xcb_atom_t type) {
    return xcb_get_property(connection, 0, window, property, type, 0, 1024);
}

// The values of a 32-bit property; empty when it is missing.
template <typename T>
std::vector<T> Values(xcb_connection_t* connection, xcb_get_property_cookie_t cookie) {
    const Reply<xcb_get_property_reply_t> reply(
        xcb_get_property_reply(connection, cookie, nullptr));
    if (!reply || reply->format != 32)
        return {};
    const auto* data = static_cast<const T*>(xcb_get_property_value(reply.get()));
    return std::vector<T>(data, data + xcb_get_property_value_length(reply.get()) / 4);
}

} // namespace

std::vector<StackedWindow> ReadWindowStack() {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
    if (!connection)
        return {};
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    const xcb_atom_t stacking = Atom(connection, "_NET_CLIENT_LIST_STACKING");
    const xcb_atom_t frameExtents = Atom(connection, "_NET_FRAME_EXTENTS");
    const xcb_atom_t gtkExtents = Atom(connection, "_GTK_FRAME_EXTENTS");
    const xcb_atom_t state = Atom(connection, "_NET_WM_STATE");
    const xcb_atom_t hidden = Atom(connection, "_NET_WM_STATE_HIDDEN");
    if (stacking == XCB_ATOM_NONE)
        return {};
    const std::vector<xcb_window_t> ids =
        Values<xcb_window_t>(connection, AskProperty(connection, root, stacking, XCB_ATOM_WINDOW));

    // Every question first, then every answer: one round trip for the lot.
    struct Asked {
        xcb_get_window_attributes_cookie_t attributes;
        xcb_get_geometry_cookie_t geometry;
        xcb_translate_coordinates_cookie_t position;
        xcb_get_property_cookie_t frame, gtk, state;
    };
    std::vector<Asked> asked;
    asked.reserve(ids.size());
    for (const xcb_window_t id : ids)
        asked.push_back({xcb_get_window_attributes(connection, id),
                         xcb_get_geometry(connection, id),
                         xcb_translate_coordinates(connection, id, root, 0, 0),
                         AskProperty(connection, id, frameExtents, XCB_ATOM_CARDINAL),
                         AskProperty(connection, id, gtkExtents, XCB_ATOM_CARDINAL),
                         AskProperty(connection, id, state, XCB_ATOM_ATOM)});

    std::vector<StackedWindow> stack;
    stack.reserve(ids.size());
    for (std::size_t i = 0; i < ids.size(); ++i) {
        const Reply<xcb_get_window_attributes_reply_t> attributes(
            xcb_get_window_attributes_reply(connection, asked[i].attributes, nullptr));
        const Reply<xcb_get_geometry_reply_t> geometry(
            xcb_get_geometry_reply(connection, asked[i].geometry, nullptr));
        const Reply<xcb_translate_coordinates_reply_t> position(
            xcb_translate_coordinates_reply(connection, asked[i].position, nullptr));
        const auto frame = Values<std::uint32_t>(connection, asked[i].frame);
        const auto gtk = Values<std::uint32_t>(connection, asked[i].gtk);
        const auto states = Values<xcb_atom_t>(connection, asked[i].state);
        if (!attributes || !geometry || !position)
            continue; // gone meanwhile
        QRect rect(position->dst_x, position->dst_y, geometry->width, geometry->height);
        // The window manager's decorations lie outside the client window...
        if (frame.size() == 4)
            rect.adjust(-static_cast<int>(frame[0]), -static_cast<int>(frame[2]),
                        static_cast<int>(frame[1]), static_cast<int>(frame[3]));
        // ...while a window that draws its own decorations has its shadow
        // inside, which is no part of what the user sees as the window.
        if (gtk.size() == 4)
            rect.adjust(static_cast<int>(gtk[0]), static_cast<int>(gtk[2]),
                        -static_cast<int>(gtk[1]), -static_cast<int>(gtk[3]));
        const bool minimised = std::find(states.begin(), states.end(), hidden) != states.end();
        stack.push_back(
            {ids[i], rect, attributes->map_state == XCB_MAP_STATE_VIEWABLE && !minimised});
    }
    return stack;
}

} // namespace camera

#else

namespace camera {

std::vector<StackedWindow> ReadWindowStack() {
    return {};
}

} // namespace camera

#endif
