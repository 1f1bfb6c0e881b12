#include "Platform/Desktop/X11Error.h"

#include <array>
#include <cstdio>
#include <string_view>

namespace Platform {

namespace {

// The core protocol's error names, by code.
constexpr std::array<std::string_view, 18> coreErrorNames{
    "connection broken", "BadRequest", "BadValue",    "BadWindow",   "BadPixmap", "BadAtom",
    "BadCursor",         "BadFont",    "BadMatch",    "BadDrawable", "BadAccess", "BadAlloc",
    "BadColor",          "BadGC",      "BadIDChoice", "BadName",     "BadLength", "BadImplementation",
};

} // namespace

X11Error X11Error::from(const xcb_generic_error_t& error)
{
    return {error.error_code, error.resource_id, error.major_code, error.minor_code};
}

std::string X11Error::description() const
{
    if (code == connectionBroken)
        return "the connection to the X server is broken";
    const std::string_view name = code < coreErrorNames.size() ? coreErrorNames[code] : "extension error";
    char details[96];
    std::snprintf(details, sizeof details, " (%u) in request %u.%u for resource 0x%x", code, majorOpcode, minorOpcode,
                  resourceId);
    return std::string(name) + details;
}

} // namespace Platform
