#pragma once

#include "Platform/EnumNames.h"

#include <string_view>

namespace QEL {

// How text reaches the focused application: pasted through the clipboard, or
// typed as synthetic key presses.
enum class InsertionMode { paste, keystroke };

// The stored raw values, in the order the settings window lists the modes.
inline constexpr Platform::EnumNames insertionModeNames{std::array{
    std::pair{InsertionMode::paste, std::string_view("paste")},
    std::pair{InsertionMode::keystroke, std::string_view("keystroke")},
}};

} // namespace QEL
