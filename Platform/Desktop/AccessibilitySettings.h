#pragma once

namespace Platform {

// Opens the running desktop's accessibility settings (its keyboard settings
// where it has no accessibility page), as named by XDG_CURRENT_DESKTOP. False
// when the desktop offers no such page or its settings program is missing or
// cannot be started.
bool openAccessibilitySettings();

} // namespace Platform
