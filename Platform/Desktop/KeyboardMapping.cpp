#include "Platform/Desktop/KeyboardMapping.h"

#include <algorithm>

namespace Platform {

std::span<const xcb_keysym_t> KeyboardMapping::keysymsOf(xcb_keycode_t keycode) const
{
    if (keycode < firstKeycode)
        return {};
    const std::size_t offset = static_cast<std::size_t>(keycode - firstKeycode) * keysymsPerKeycode;
    if (offset + keysymsPerKeycode > keysyms.size())
        return {};
    return std::span(keysyms).subspan(offset, keysymsPerKeycode);
}

std::optional<KeyboardMapping::Position> KeyboardMapping::find(xcb_keysym_t keysym) const
{
    if (keysym == 0 || keysymsPerKeycode == 0)
        return std::nullopt;
    const std::size_t keyCount = keysyms.size() / keysymsPerKeycode;
    for (int level = 0; level < std::min<int>(2, keysymsPerKeycode); ++level) {
        for (std::size_t key = 0; key < keyCount; ++key) {
            if (keysyms[key * keysymsPerKeycode + static_cast<std::size_t>(level)] == keysym)
                return Position{static_cast<xcb_keycode_t>(firstKeycode + key), level};
        }
    }
    return std::nullopt;
}

} // namespace Platform
