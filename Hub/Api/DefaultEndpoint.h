#pragma once

// The hub's base URL when neither the caller nor HUB_ENDPOINT names one.

#include <string_view>

namespace Hub {

// A placeholder that names no real host.
inline constexpr std::string_view defaultEndpoint = "https://hub.example.invalid";

} // namespace Hub
