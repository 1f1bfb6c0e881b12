#pragma once

#include <xcb/xcb.h>

#include <filesystem>
#include <optional>
#include <string_view>

namespace TestSupport {

// Saves what the X screen shows, the whole screen or only where `window` is,
// as build/screenshots/<Suite>.<Test>[-<state>].png, so that a person can look
// at each state a test brought a window into. Returns the file's path; throws
// std::runtime_error when the picture cannot be taken or saved.
std::filesystem::path saveScreenshot(std::string_view state = {}, std::optional<xcb_window_t> window = std::nullopt);

} // namespace TestSupport
