#pragma once

// Cuts template text into tokens: plain text outside tags, and inside
// {{ … }} and {% … %} the small expression language. Evaluates nothing.

#include "Jinja/Syntax/Token.h"

#include <string_view>
#include <vector>

namespace Jinja::Lexer {

// The tokens of the text after its whitespace-control rewrites, ending with
// one eof token. Throws JinjaError (lexer) at the first character it cannot
// read, with the character position in the rewritten text.
std::vector<Token> tokenize(std::string_view text);

// The tokens of text taken as it is, without the whitespace-control rewrites:
// for text that a program wrote, whose "-" next to a delimiter means itself.
std::vector<Token> tokenizeVerbatim(std::string_view text);

} // namespace Jinja::Lexer
