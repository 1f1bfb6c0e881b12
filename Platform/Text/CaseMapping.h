#pragma once

// Unicode default case mapping of UTF-8 text: full mappings ("ß" upper-cases
// to "SS"), independent of the user's locale.

#include <string>
#include <string_view>

namespace Platform {

std::string uppercased(std::string_view text);
std::string lowercased(std::string_view text);

// Whether a character (one grapheme cluster) is upper or lower case: a single
// code point by its Unicode property, a longer cluster when case mapping
// changes it one way and not the other.
bool isUppercase(std::string_view character);
bool isLowercase(std::string_view character);

// Whether two texts are the same when letter case is ignored: equal after full
// case folding, up to canonical equivalence ("Straße" and "STRASSE", a composed
// and a decomposed "é").
bool equalIgnoringCase(std::string_view first, std::string_view second);

// The text as it is compared without regard to letter case: fully case-folded
// ("Straße" becomes "strasse") and canonically composed. Two texts are equal
// ignoring case when their keys are equal, and one contains the other when
// its key contains the other's.
std::string caseFoldingKey(std::string_view text);

} // namespace Platform
