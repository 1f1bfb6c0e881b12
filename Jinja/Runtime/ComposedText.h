#pragma once

// Text in its canonical composed form, for searching one text in another so
// that canonically equivalent sequences match.

#include <string>
#include <string_view>

namespace Jinja {

std::string composedText(std::string_view text);

} // namespace Jinja
