#pragma once

// The ways the tokenizers cut text: every range of a pattern, a split that
// keeps or drops the separators, a split whose pieces keep each separator
// with a neighbour, and a split by a compiled expression that keeps only
// capture groups. Pieces are views into the text, in text order.

#include "Platform/Text/CanonicalSearch.h"
#include "Platform/Text/Regex.h"

#include <string_view>
#include <vector>

namespace Tokenizers {

enum class SearchKind {
    // Plain, case-sensitive text in which canonically equivalent sequences
    // match each other. An empty pattern matches nowhere.
    plain,
    // A regular expression in ICU syntax; one that does not compile matches
    // nowhere.
    regularExpression,
};

enum class SplitDelimiterBehavior {
    removed,            // separators are dropped
    isolated,           // each separator is a piece of its own
    mergedWithPrevious, // each separator ends the piece before it
    mergedWithNext,     // each separator starts the piece after it
};

// Every match, left to right, each searched for from the end of the one
// before. After an empty match the search resumes one character (grapheme
// cluster) further on; an empty match at the end of the text is the last.
std::vector<Platform::TextRange> ranges(std::string_view text, std::string_view pattern, SearchKind kind);
std::vector<Platform::TextRange> ranges(std::string_view text, const Platform::Regex& regex);

// The text between the matches, never empty, each followed by its separator
// when `includeSeparators` is true (an empty separator included).
std::vector<std::string_view> split(std::string_view text, std::string_view pattern, SearchKind kind,
                                    bool includeSeparators);

std::vector<std::string_view> split(std::string_view text, std::string_view pattern, SearchKind kind,
                                    SplitDelimiterBehavior behavior);
std::vector<std::string_view> split(std::string_view text, const Platform::Regex& regex,
                                    SplitDelimiterBehavior behavior);

// The text between matches of `regex`, and for each match its highest capture
// group that took part (the whole match when none did): a pattern may take in
// the white space around a piece without making it part of the piece. A text
// without a match, the empty text included, is one piece.
std::vector<std::string_view> split(std::string_view text, const Platform::Regex& regex);

} // namespace Tokenizers
