#pragma once

// User-perceived characters (extended grapheme clusters) of UTF-8 text: "e"
// with a combining accent, a flag, or "\r\n" each count as one character.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace Platform {

// The text's characters in order, as views into `text`.
std::vector<std::string_view> graphemeClusters(std::string_view text);
std::size_t graphemeCount(std::string_view text);
// The lengths of UTF-16 text's characters in code units, in order.
std::vector<std::size_t> graphemeLengths(std::u16string_view text);

// The first `count` characters (the whole text when it has fewer).
std::string_view graphemePrefix(std::string_view text, std::size_t count);
// The first `count` characters, followed by `ellipsis` when the text has more.
std::string graphemePrefix(std::string_view text, std::size_t count, std::string_view ellipsis);
// The text without its last `count` characters (empty when it has fewer).
std::string_view dropLastGraphemes(std::string_view text, std::size_t count = 1);
// The first and the last character; empty for an empty text.
std::string_view firstGrapheme(std::string_view text);
std::string_view lastGrapheme(std::string_view text);
// The byte offset where the character holding byte `offset` ends; the text's
// size when `offset` is at or past the end.
std::size_t nextGraphemeBoundary(std::string_view text, std::size_t offset);

} // namespace Platform
