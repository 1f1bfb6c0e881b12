#pragma once

// The two-operand operators of the language on values: each takes the left
// operand first and makes a new value, or throws a runtime JinjaError naming
// both operands. Int results that do not fit 64 bits fail with
// "Integer overflow (…)" rather than wrap.

#include "Jinja/Runtime/Value.h"

namespace Jinja {

// +: numbers add, strings and arrays join, a string beside anything else
// joins with its text form.
Value add(const Value& left, const Value& right);
Value subtract(const Value& left, const Value& right);
// *: numbers multiply; a string and an int repeat the string (a negative
// count gives the empty string).
Value multiply(const Value& left, const Value& right);
// /: always a double.
Value divide(const Value& left, const Value& right);
// //: always an int; ints truncate toward zero, doubles round down.
Value floorDivide(const Value& left, const Value& right);
// **: int for a non-negative int exponent, computed through doubles.
Value power(const Value& base, const Value& exponent);
// %: ints only, the remainder taking the dividend's sign.
Value modulo(const Value& left, const Value& right);
// ~: string joining; one side must be a string.
Value concatenate(const Value& left, const Value& right);
// -1, 0 or 1 for two numbers (not-a-number is 0) or two strings.
int compare(const Value& left, const Value& right);
// `needle in container`: keys of an object, substrings of a string, strictly
// equal elements of an array; null and undefined contain nothing.
bool isContained(const Value& needle, const Value& container);

} // namespace Jinja
