#pragma once

#include <string>
#include <string_view>

namespace Platform {

// Unicode Normalization Form C (canonical composition) of UTF-8 text.
std::string nfc(std::string_view text);

} // namespace Platform
