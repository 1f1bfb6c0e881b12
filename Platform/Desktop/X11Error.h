#pragma once

#include <xcb/xcb.h>

#include <cstdint>
#include <stdexcept>
#include <string>

namespace Platform {

// The X server's report that one request failed. It is handed to the code that
// made the request, as an ordinary result.
struct X11Error {
    // The code when the connection to the server broke: the request may never
    // have reached it.
    static constexpr std::uint8_t connectionBroken = 0;

    std::uint8_t code = connectionBroken; // XCB_WINDOW (BadWindow), XCB_ACCESS (BadAccess), ...
    std::uint32_t resourceId = 0;         // the window, atom or value the server refused
    std::uint8_t majorOpcode = 0;         // which request failed
    std::uint16_t minorOpcode = 0;

    static X11Error from(const xcb_generic_error_t& error);

    // For example "BadAccess (10) in request 33.0 for resource 0x200001".
    std::string description() const;

    bool operator==(const X11Error&) const = default;
};

// No X display can be used: none is named, the server cannot be reached, or it
// lacks something that is needed.
class X11Unavailable : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

} // namespace Platform
