#pragma once

// Builds the syntax tree of a template from its tokens, by recursive descent
// with one token of look-ahead (two at a few places).

#include "Jinja/Syntax/Node.h"
#include "Jinja/Syntax/Token.h"

#include <vector>

namespace Jinja::Parser {

// The template's nodes, adjacent text merged. Throws JinjaError (parser) at the
// first token that does not fit, and for a tree nested more than
// `maximumDepth` levels deep, so that no later walk overflows the stack.
NodeList parse(const std::vector<Token>& tokens);

inline constexpr int maximumDepth = 256;

} // namespace Jinja::Parser
