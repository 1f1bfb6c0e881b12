#pragma once

// Classes of characters (grapheme clusters) that the tokenizer stages test,
// each judged by the character's first code point.

#include <string_view>

namespace Tokenizers {

// The Unicode White_Space property, line breaks included.
bool isWhiteSpaceCharacter(std::string_view character);

} // namespace Tokenizers
