#pragma once

// A readable dump of syntax trees. An expression reads like its source with
// every operation in parentheses, so grouping shows: "(a + (b | upper))".
// Nodes come one a line, statement bodies indented by two spaces. The dump of
// a tree that the parser built reads back as the same tree.

#include "Jinja/Syntax/Node.h"

#include <string>
#include <string_view>

namespace Jinja {

std::string debugText(const Expression& expression);
std::string debugText(const NodeList& nodes);

// The tree a dump shows. Throws JinjaError (parser) for text that is not such
// a dump.
Expression expressionFromDebugText(std::string_view text);
NodeList nodesFromDebugText(std::string_view text);

} // namespace Jinja
