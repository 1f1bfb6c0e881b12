#include "Platform/Desktop/X11Connection.h"

#include <xcb/xtest.h>

#include <cstdlib>

namespace Platform {

namespace {

std::string connectFailure(int error)
{
    switch (error) {
    case XCB_CONN_ERROR: return "no X server answers there";
    case XCB_CONN_CLOSED_MEM_INSUFFICIENT: return "out of memory";
    case XCB_CONN_CLOSED_PARSE_ERR: return "the display name cannot be understood";
    case XCB_CONN_CLOSED_INVALID_SCREEN: return "the display has no such screen";
    default: return "the server closed the connection (error " + std::to_string(error) + ")";
    }
}

} // namespace

X11Connection& X11Connection::shared()
{
    static std::mutex mutex;
    static std::unique_ptr<X11Connection> connection;
    std::lock_guard lock(mutex);
    if (!connection)
        connection = std::make_unique<X11Connection>();
    return *connection;
}

X11Connection::X11Connection(const std::optional<std::string>& displayName)
{
    const char* environment = std::getenv("DISPLAY");
    const std::string name = displayName ? *displayName : environment ? environment : "";
    if (name.empty())
        throw X11Unavailable("No X display: DISPLAY is not set");
    connection_ = xcb_connect(name.c_str(), &screenNumber_);
    if (const int error = xcb_connection_has_error(connection_)) {
        xcb_disconnect(connection_);
        throw X11Unavailable("Cannot open the X display \"" + name + "\": " + connectFailure(error));
    }
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection_));
    for (int i = 0; i < screenNumber_ && screens.rem > 0; ++i)
        xcb_screen_next(&screens);
    if (screens.rem == 0) {
        xcb_disconnect(connection_);
        throw X11Unavailable("Cannot open the X display \"" + name +
                             "\": " + connectFailure(XCB_CONN_CLOSED_INVALID_SCREEN));
    }
    screen_ = screens.data;
    const xcb_query_extension_reply_t* xtest = xcb_get_extension_data(connection_, &xcb_test_id);
    hasXTest_ = xtest && xtest->present;
}

X11Connection::~X11Connection()
{
    xcb_disconnect(connection_);
}

std::optional<X11Error> X11Connection::failure(X11Owned<xcb_generic_error_t> error, bool answered) const
{
    if (error)
        return X11Error::from(*error);
    // XCB answers nothing at all once the connection has broken.
    if (!answered && xcb_connection_has_error(connection_))
        return X11Error{};
    return std::nullopt;
}

std::optional<X11Error> X11Connection::check(xcb_void_cookie_t cookie) const
{
    return failure(X11Owned<xcb_generic_error_t>(xcb_request_check(connection_, cookie)), false);
}

xcb_atom_t X11Connection::atom(std::string_view name)
{
    std::lock_guard lock(atomsMutex_);
    if (auto known = atoms_.find(std::string(name)); known != atoms_.end())
        return known->second;
    auto interned = reply(xcb_intern_atom_reply,
                          xcb_intern_atom(connection_, 0, static_cast<std::uint16_t>(name.size()), name.data()));
    if (!interned)
        return XCB_ATOM_NONE;
    atoms_.emplace(name, interned->atom);
    return interned->atom;
}

void X11Connection::flush() const
{
    xcb_flush(connection_);
}

void X11Connection::sync(xcb_connection_t* connection)
{
    // Any request with a reply will do: the server answers in order.
    X11Owned<xcb_get_input_focus_reply_t>(
        xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
}

KeyboardMapping X11Connection::keyboardMapping() const
{
    const xcb_setup_t* setup = xcb_get_setup(connection_);
    const auto count = static_cast<std::uint8_t>(setup->max_keycode - setup->min_keycode + 1);
    auto table =
        reply(xcb_get_keyboard_mapping_reply, xcb_get_keyboard_mapping(connection_, setup->min_keycode, count));
    if (!table)
        return {};
    const xcb_keysym_t* keysyms = xcb_get_keyboard_mapping_keysyms(table.get());
    return {setup->min_keycode,
            table->keysyms_per_keycode,
            {keysyms, keysyms + xcb_get_keyboard_mapping_keysyms_length(table.get())}};
}

std::uint16_t X11Connection::modifierMask(xcb_keysym_t keysym) const
{
    const std::optional<KeyboardMapping::Position> key = keyboardMapping().find(keysym);
    auto modifiers = reply(xcb_get_modifier_mapping_reply, xcb_get_modifier_mapping(connection_));
    if (!key || !modifiers)
        return 0;
    // Eight rows, Shift to Mod5, of keycodes_per_modifier keys each.
    const xcb_keycode_t* keycodes = xcb_get_modifier_mapping_keycodes(modifiers.get());
    for (int row = 0; row < 8; ++row) {
        for (int column = 0; column < modifiers->keycodes_per_modifier; ++column) {
            if (keycodes[row * modifiers->keycodes_per_modifier + column] == key->keycode)
                return static_cast<std::uint16_t>(1u << row);
        }
    }
    return 0;
}

std::optional<X11Error> X11Connection::fakeKeyEvent(xcb_keycode_t keycode, bool press) const
{
    if (!hasXTest_)
        return X11Error{.code = XCB_REQUEST};
    const std::uint8_t type = press ? XCB_KEY_PRESS : XCB_KEY_RELEASE;
    return check(xcb_test_fake_input_checked(connection_, type, keycode, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0));
}

int X11Connection::fileDescriptor() const
{
    return xcb_get_file_descriptor(connection_);
}

X11Owned<xcb_generic_event_t> X11Connection::pollForEvent()
{
    while (X11Owned<xcb_generic_event_t> event{xcb_poll_for_event(connection_)}) {
        if (event->response_type != 0)
            return event;
        if (errorHandler_)
            errorHandler_(X11Error::from(*reinterpret_cast<const xcb_generic_error_t*>(event.get())));
    }
    return nullptr;
}

void X11Connection::setErrorHandler(std::function<void(const X11Error&)> handler)
{
    errorHandler_ = std::move(handler);
}

} // namespace Platform
