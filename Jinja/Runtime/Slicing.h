#pragma once

// Indexing and slicing strings (by user-perceived characters) and arrays.

#include "Jinja/Runtime/Value.h"

#include <cstdint>

namespace Jinja {

// The character or element at `index`, counted from the end when negative;
// undefined outside. `sequence` is a string or an array.
Value elementAt(const Value& sequence, std::int64_t index);

// `sequence[start:stop:step]`: absent or non-int bounds take the defaults for
// the step's direction, a non-int step counts as 1, an int step of 0 fails
// with "Slice step cannot be zero". Anything but a string or array fails with
// "Slice requires array or string".
Value sliced(const Value& sequence, const Value& start, const Value& stop, const Value& step);

} // namespace Jinja
