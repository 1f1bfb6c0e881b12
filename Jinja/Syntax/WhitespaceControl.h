#pragma once

// The "-" forms of the tag delimiters: "-%}" and "-}}" swallow all white space
// after them, "{%-" and "{{-" all white space before them. The rewrite reads
// the raw text, so it also applies inside plain text and string literals.

#include <string>
#include <string_view>

namespace Jinja {

std::string applyWhitespaceControl(std::string_view text);

} // namespace Jinja
