#pragma once

// The node walk shared by the interpreter's statements, loops and calls.
// Internal to the interpreter.

#include "Jinja/Runtime/ControlFlow.h"
#include "Jinja/Runtime/Interpreter.h"

#include <string>
#include <string_view>

namespace Jinja::Interpreter::detail {

// Appends the nodes' text; a break or continue ends the walk and is returned.
Flow walk(const NodeList& nodes, const Scope& scope, std::string& output);
Flow executeFor(const ForStatement& loop, const Scope& scope, std::string& output);
// The nodes rendered into a text of their own, as an expression uses it: a
// break or continue left over is thrown as ControlFlow.
std::string renderedText(const NodeList& nodes, const Scope& scope);
// Fails with "Result too large" past the string bound.
void append(std::string& output, std::string_view text);

} // namespace Jinja::Interpreter::detail
