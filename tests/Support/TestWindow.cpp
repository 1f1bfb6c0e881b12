#include "Support/TestWindow.h"

#include "Platform/Desktop/X11Connection.h"

#include <stdexcept>

namespace TestSupport {

TestWindow::TestWindow(const std::string& instance, const std::string& className)
{
    Platform::X11Connection& connection = Platform::X11Connection::shared();
    window_ = xcb_generate_id(connection.raw());
    const std::uint32_t background = connection.screen().white_pixel;
    auto error = connection.check(xcb_create_window_checked(
        connection.raw(), XCB_COPY_FROM_PARENT, window_, connection.root(), 100, 100, 320, 200, 0,
        XCB_WINDOW_CLASS_INPUT_OUTPUT, connection.screen().root_visual, XCB_CW_BACK_PIXEL, &background));
    if (error)
        throw std::runtime_error("cannot create a window: " + error->description());
    const std::string wmClass = instance + '\0' + className + '\0';
    xcb_change_property(connection.raw(), XCB_PROP_MODE_REPLACE, window_, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 8,
                        static_cast<std::uint32_t>(wmClass.size()), wmClass.data());
    xcb_map_window(connection.raw(), window_);
    connection.sync();
}

TestWindow::~TestWindow()
{
    Platform::X11Connection& connection = Platform::X11Connection::shared();
    xcb_destroy_window(connection.raw(), window_);
    connection.sync();
}

void TestWindow::activate() const
{
    Platform::X11Connection& connection = Platform::X11Connection::shared();
    xcb_client_message_event_t message{};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = window_;
    message.type = connection.atom("_NET_ACTIVE_WINDOW");
    message.data.data32[0] = 2; // the request comes from a pager or task bar, which window managers obey
    message.data.data32[1] = XCB_CURRENT_TIME;
    xcb_send_event(connection.raw(), 0, connection.root(),
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&message));
    connection.sync();
}

} // namespace TestSupport
