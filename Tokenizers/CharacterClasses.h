#pragma once

// Classes of characters (grapheme clusters) that the tokenizer stages test,
// each judged by the character's first code point, and the rewrites built on
// them.

#include <string>
#include <string_view>

namespace Tokenizers {

// The Unicode White_Space property, line breaks included.
bool isWhiteSpaceCharacter(std::string_view character);

// CJK ideographs of the unified and compatibility blocks, the ones BERT-style
// vocabularies hold as words of their own.
bool isChineseCharacter(char32_t codePoint);
// The text with a space on either side of each CJK ideograph.
std::string spacedChineseCharacters(std::string_view text);

// The text without its accents and other non-spacing marks, letter case kept,
// in composed form.
std::string foldingDiacritics(std::string_view text);

} // namespace Tokenizers
