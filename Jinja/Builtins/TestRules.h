#pragma once

// The rules behind the built-in tests, on arguments already bound to their
// parameters. Internal to the test table.

#include "Jinja/Runtime/Value.h"

namespace Jinja::Tests {

// Finite ints and doubles: even when the remainder by 2, truncated toward
// zero, is zero; odd when integral and not even.
bool isEven(const Value& value);
bool isOdd(const Value& value);
// False for a zero divisor; an int dividend of the smallest int divided by -1 is divisible.
bool isDivisibleBy(const Value& value, const Value& divisor);
// Equal to its own upper- (lower-) cased form; non-strings are neither.
bool isUpper(const Value& value);
bool isLower(const Value& value);
// A substring of a string, a key of an object, an element of an array that
// compares equal (numbers by value). Comparing to an element of another kind
// throws the comparison's error; the empty string is in no string.
bool isIn(const Value& value, const Value& container);

} // namespace Jinja::Tests
