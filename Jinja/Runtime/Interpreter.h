#pragma once

// Renders a syntax tree: walks the nodes in order, evaluates expressions in
// the scopes of one rendering and appends text to one output string. Every
// failure is a JinjaError (or whatever a called function throws); a break or
// continue outside any loop leaves as ControlFlow.

#include "Jinja/Runtime/Environment.h"
#include "Jinja/Syntax/Node.h"

#include <memory>
#include <span>
#include <string>

namespace Jinja::Interpreter {

using Scope = std::shared_ptr<Environment>;

// Renders in a fresh root scope holding a copy of `environment`'s own
// variables (not its parents'), with the globals over them.
std::string interpret(const NodeList& nodes, const Environment& environment);
// Appends to `output`; a break or continue left over is thrown as ControlFlow.
void interpret(const NodeList& nodes, const Scope& scope, std::string& output);

Value evaluateExpression(const Expression& expression, const Scope& scope);
// A function variable of that name, else the built-in test; `arguments` start with the tested value.
bool evaluateTest(const String& name, std::span<const Value> arguments, const Scope& scope);
// A function variable of that name, else the built-in filter; `arguments` start with the piped value.
Value applyFilter(const String& name, std::span<const Value> arguments, const KeywordArguments& keywordArguments,
                  const Scope& scope);
// Stores `value` where `target` names: a name, a tuple of targets, or an object variable's member.
void assign(const Expression& target, Value value, const Scope& scope);
// Renders the macro's body in a scope below `scope` and gives the text.
Value callMacro(const Macro& macro, std::span<const Value> arguments, const KeywordArguments& keywordArguments,
                const Scope& scope);
// Calls a function or macro value; anything else fails with "Cannot call non-function value".
Value call(const Value& callee, std::span<const Value> arguments, const KeywordArguments& keywordArguments,
           const Scope& scope);

} // namespace Jinja::Interpreter
