#pragma once

// The template options' rewrites around block and comment tags, applied to
// the text before it is cut into tokens.

#include <string>
#include <string_view>

namespace Jinja {

// Removes the spaces and tabs that start a line when a block or comment tag
// ("{%", "{#") follows them. Line terminators stay as they are.
std::string stripBlockIndentation(std::string_view text);

// Removes the line feed right after each "%}" and "#}"; one after "}}" stays.
std::string trimBlockLineFeeds(std::string_view text);

} // namespace Jinja
