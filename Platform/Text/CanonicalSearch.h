#pragma once

// Plain-text search in UTF-8 text as people compare text: case-sensitive, but
// canonically equivalent sequences (a precomposed "é" and "e" followed by a
// combining accent) match each other, and a match never separates a letter
// from the combining marks that follow it.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace Platform {

// Byte offsets into the searched text.
struct TextRange {
    std::size_t begin = 0;
    std::size_t end = 0;
    bool operator==(const TextRange&) const = default;
};

// Every non-overlapping match of `pattern`, left to right. An empty pattern
// matches nowhere.
std::vector<TextRange> canonicalMatches(std::string_view text, std::string_view pattern);

// The text with every match of `pattern` replaced by `replacement`.
std::string replacingCanonicalMatches(std::string_view text, std::string_view pattern, std::string_view replacement);

} // namespace Platform
