#include "Platform/Desktop/FrontmostApplication.h"

#include "Platform/Desktop/X11Connection.h"

#include <cstring>
#include <string_view>

namespace Platform {

namespace {

X11Reply<xcb_get_property_reply_t> property(X11Connection& connection, xcb_window_t window, xcb_atom_t name,
                                            xcb_atom_t type)
{
    constexpr std::uint32_t maximumLength = 4096; // in 32-bit units; far more than a class name needs
    return connection.reply(xcb_get_property_reply,
                            xcb_get_property(connection.raw(), 0, window, name, type, 0, maximumLength));
}

std::optional<std::string> nonEmpty(std::string_view text)
{
    if (text.empty())
        return std::nullopt;
    return std::string(text);
}

} // namespace

std::optional<FrontmostApplication> frontmostApplication()
{
    X11Connection* connection = nullptr;
    try {
        connection = &X11Connection::shared();
    } catch (const X11Unavailable&) {
        return std::nullopt;
    }

    auto active = property(*connection, connection->root(), connection->atom("_NET_ACTIVE_WINDOW"), XCB_ATOM_WINDOW);
    if (!active || active->format != 32 || xcb_get_property_value_length(active.get()) < 4)
        return std::nullopt;
    xcb_window_t window = 0;
    std::memcpy(&window, xcb_get_property_value(active.get()), sizeof window);
    if (window == XCB_WINDOW_NONE)
        return std::nullopt;

    // A window manager may leave a closed window's id behind; its class then
    // comes back as BadWindow, and there is no active window.
    auto wmClass = property(*connection, window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING);
    if (!wmClass)
        return std::nullopt;
    FrontmostApplication application;
    if (wmClass->format == 8) {
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
