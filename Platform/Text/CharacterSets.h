#pragma once

// Unicode character sets, tested code point by code point.

#include <string>
#include <string_view>

namespace Platform {

enum class CharacterSet {
    whitespaces,            // space separators (Zs) and the tab, no line breaks
    whitespacesAndNewlines, // the Unicode White_Space set, line and paragraph separators included
    punctuation,            // the Unicode punctuation categories (P*)
    uppercaseLetters,       // the upper-case and title-case letters (Lu, Lt)
    other,                  // the general categories C*: control, format, surrogate, private use, unassigned
    alphanumerics,          // letters, marks and numbers (L*, M*, N*)
    nonspacingMarks,        // the combining marks that take no space of their own (Mn), such as accents
};

bool contains(CharacterSet set, char32_t codePoint);

// The text without the set's code points at both ends.
std::string_view trimming(std::string_view text, CharacterSet set);

// The text without any of the set's code points.
std::string removing(std::string_view text, CharacterSet set);

} // namespace Platform
