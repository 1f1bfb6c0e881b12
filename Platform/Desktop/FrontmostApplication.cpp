#include "Platform/Desktop/FrontmostApplication.h"

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string_view>

// XCB rather than Xlib: a failed request comes back as an error reply instead
// of going to a process-wide error handler, whose default ends the program
// (a window may close between reading its id and reading its class).
#include <xcb/xcb.h>

namespace Platform {

namespace {

struct Disconnect {
    void operator()(xcb_connection_t* connection) const { xcb_disconnect(connection); }
};
using Connection = std::unique_ptr<xcb_connection_t, Disconnect>;

template <typename Reply>
using ReplyPtr = std::unique_ptr<Reply, decltype(&std::free)>;

template <typename Reply>
ReplyPtr<Reply> owned(Reply* reply) {
    return ReplyPtr<Reply>(reply, &std::free);
}

xcb_atom_t internAtom(xcb_connection_t* connection, std::string_view name) {
    auto reply = owned(xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 1, static_cast<uint16_t>(name.size()), name.data()), nullptr));
    return reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
}

ReplyPtr<xcb_get_property_reply_t> property(xcb_connection_t* connection, xcb_window_t window, xcb_atom_t name,
                                            xcb_atom_t type) {
    constexpr uint32_t maximumLength = 4096; // in 32-bit units; far more than a class name needs
    return owned(xcb_get_property_reply(
        connection, xcb_get_property(connection, 0, window, name, type, 0, maximumLength), nullptr));
}

std::optional<std::string> nonEmpty(std::string_view text) {
    if (text.empty()) return std::nullopt;
    return std::string(text);
}

} // namespace

std::optional<FrontmostApplication> frontmostApplication() {
    int screenNumber = 0;
    Connection connection(xcb_connect(nullptr, &screenNumber));
    if (!connection || xcb_connection_has_error(connection.get())) return std::nullopt;

    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection.get()));
    for (int i = 0; i < screenNumber && screens.rem > 0; ++i) xcb_screen_next(&screens);
    if (screens.rem == 0) return std::nullopt;
    const xcb_window_t root = screens.data->root;

    const xcb_atom_t activeWindowAtom = internAtom(connection.get(), "_NET_ACTIVE_WINDOW");
    if (activeWindowAtom == XCB_ATOM_NONE) return std::nullopt;
    auto active = property(connection.get(), root, activeWindowAtom, XCB_ATOM_WINDOW);
    if (!active || active->format != 32 || xcb_get_property_value_length(active.get()) < 4) return std::nullopt;
    xcb_window_t window = 0;
    std::memcpy(&window, xcb_get_property_value(active.get()), sizeof window);
    if (window == XCB_WINDOW_NONE) return std::nullopt;

    FrontmostApplication application;
    auto wmClass = property(connection.get(), window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING);
    if (wmClass && wmClass->format == 8) {
        // Two NUL-terminated strings: the instance name, then the class name.
        std::string_view value(static_cast<const char*>(xcb_get_property_value(wmClass.get())),
                               static_cast<std::size_t>(xcb_get_property_value_length(wmClass.get())));
        std::size_t split = value.find('\0');
        std::string_view instance = value.substr(0, split);
        std::string_view className = split == std::string_view::npos ? std::string_view() : value.substr(split + 1);
        className = className.substr(0, className.find('\0'));
        application.identifier = nonEmpty(instance);
        application.displayName = nonEmpty(className);
    }
    return application;
}

} // namespace Platform
