#pragma once

// The lexer's tables from text to token kinds: keywords, operators and the
// one-character punctuation inside tags. Internal to the lexer.

#include "Jinja/Syntax/Token.h"

#include <cstddef>
#include <optional>
#include <string_view>
#include <utility>

namespace Jinja::detail {

// The kind of a keyword, exactly as written ("True" and "true" alike are
// Booleans); none for any other word, which is an identifier.
std::optional<Token::Kind> keywordKind(std::string_view word);

// The operator that starts with the characters `first` and `second` (the
// longer one when both fit), with its length in characters.
std::optional<std::pair<Token::Kind, std::size_t>> operatorAt(char first, char second);

// Brackets, braces, parentheses, ",", ".", ":" and "|".
std::optional<Token::Kind> punctuationKind(char character);

} // namespace Jinja::detail
