#pragma once

// The built-in tests (`x is defined`, `n is divisibleby(3)`): one function
// per rule, and the table by which templates find them by name. A test binds
// its whole argument list, the tested value first.

#include "Jinja/Runtime/Value.h"

#include <memory>
#include <span>
#include <unordered_map>

namespace Jinja::Tests {

using Test = bool (*)(std::span<const Value> arguments, const KeywordArguments& keywordArguments,
                      const std::shared_ptr<Environment>& environment);

// Built once, on first use, and never changed. Operator names (==, <, …) and
// word aliases (equalto, greaterthan, …) share their rule's function.
const std::unordered_map<String, Test>& builtIn();

} // namespace Jinja::Tests
