#pragma once

#include <optional>
#include <string>

namespace Platform {

// The application that owns the active window, as the desktop names it.
struct FrontmostApplication {
    std::optional<std::string> displayName; // the user-facing name
    std::optional<std::string> identifier;  // the stable program identifier
};

// The frontmost application, or none when there is no desktop session or no
// active window. On X11: the `_NET_ACTIVE_WINDOW` window's `WM_CLASS`, whose
// class is the display name and whose instance is the identifier, read over
// X11Connection::shared(). Safe to call from any thread; each call asks the
// display server afresh.
std::optional<FrontmostApplication> frontmostApplication();

} // namespace Platform
