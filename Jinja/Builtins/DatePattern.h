#pragma once

// The C-style "%" date format of strftime_now() as a Unicode date pattern.

#include <string>
#include <string_view>

namespace Jinja {

// Known codes become pattern fields ("%Y-%m-%d" gives "yyyy'-'MM'-'dd");
// other text, unknown codes with their "%" included, stays literal in single
// quotes, with a quote inside doubled as the pattern syntax requires.
std::string datePattern(std::string_view format);

} // namespace Jinja
