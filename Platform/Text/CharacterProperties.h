#pragma once

// Unicode properties of single code points, for languages that classify
// characters by their first code point.

namespace Platform {

// The White_Space property: spaces, tabs and every line break, U+2028 included.
bool isWhiteSpace(char32_t codePoint);
// The Alphabetic property: letters of every script, and letter-like marks.
bool isAlphabetic(char32_t codePoint);
// Any numeric type: decimal digits of every script, and other numerals such as
// fractions and Roman numerals.
bool hasNumericType(char32_t codePoint);

} // namespace Platform
