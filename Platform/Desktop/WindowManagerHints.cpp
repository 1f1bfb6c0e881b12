#include "Platform/Desktop/WindowManagerHints.h"

#include "Platform/Desktop/X11Connection.h"

#include <array>
#include <cstdint>
#include <string>

namespace Platform {

void keepOnAllDesktopsOutOfWindowLists(xcb_window_t window)
{
    X11Connection& connection = X11Connection::shared();
    // Appended, so the states the toolkit sets when it maps the window stay.
    const std::array<xcb_atom_t, 2> states{connection.atom("_NET_WM_STATE_SKIP_TASKBAR"),
                                           connection.atom("_NET_WM_STATE_SKIP_PAGER")};
    xcb_change_property(connection.raw(), XCB_PROP_MODE_APPEND, window, connection.atom("_NET_WM_STATE"),
                        XCB_ATOM_ATOM, 32, states.size(), states.data());
    constexpr std::uint32_t allDesktops = 0xFFFFFFFF;
    xcb_change_property(connection.raw(), XCB_PROP_MODE_REPLACE, window, connection.atom("_NET_WM_DESKTOP"),
                        XCB_ATOM_CARDINAL, 32, 1, &allDesktops);
    connection.flush();
}

bool isCompositingActive()
{
    try {
        X11Connection& connection = X11Connection::shared();
        const xcb_atom_t selection = connection.atom("_NET_WM_CM_S" + std::to_string(connection.screenNumber()));
        auto owner = connection.reply(xcb_get_selection_owner_reply, xcb_get_selection_owner(connection.raw(), selection));
        return owner && owner->owner != XCB_WINDOW_NONE;
    } catch (const X11Unavailable&) {
        return false;
    }
}

} // namespace Platform
