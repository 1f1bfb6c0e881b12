#pragma once

// A readable dump of syntax trees. An expression reads like its source with
// every operation in parentheses, so grouping shows: "(a + (b | upper))".
// Nodes come one a line, statement bodies indented by two spaces.

#include "Jinja/Syntax/Node.h"

#include <string>

namespace Jinja {

std::string debugText(const Expression& expression);
std::string debugText(const NodeList& nodes);

} // namespace Jinja
