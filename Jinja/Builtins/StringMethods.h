#pragma once

// The methods of a string value, each given its receiver and its arguments
// as bound to its parameters. Searching matches canonically equivalent text.

#include "Jinja/Runtime/Value.h"

#include <span>

namespace Jinja::StringMethods {

Value upper(const Value& text, std::span<const Value> bound);
Value lower(const Value& text, std::span<const Value> bound);
// The first character of each run delimited by spaces, tabs and line breaks upper-cased, the rest lower-cased.
Value title(const Value& text, std::span<const Value> bound);
// White space (line breaks included) at both ends, the start or the end.
Value strip(const Value& text, std::span<const Value> bound);
Value lstrip(const Value& text, std::span<const Value> bound);
Value rstrip(const Value& text, std::span<const Value> bound);
// (separator, maxsplit): without a separator, the non-empty runs between U+0020.
Value split(const Value& text, std::span<const Value> bound);
// (old, new, count): a counted replacement searches from the start each time,
// text it inserted included.
Value replace(const Value& text, std::span<const Value> bound);
Value startswith(const Value& text, std::span<const Value> bound);
Value endswith(const Value& text, std::span<const Value> bound);

} // namespace Jinja::StringMethods
