#pragma once

// The global functions every template can call without defining them:
// raise_exception, range, lipsum, dict, cycler, joiner, namespace and
// strftime_now. Every root scope holds them.

#include "Jinja/Runtime/Value.h"

#include <unordered_map>

namespace Jinja::Globals {

// Built once, on first use, and never changed.
const std::unordered_map<String, Value>& builtIn();

// The functions behind the table, each with the shape of a built-in.
Value raiseException(std::span<const Value> arguments, const KeywordArguments& keywordArguments);
Value range(std::span<const Value> arguments);
Value lipsum(std::span<const Value> arguments, const KeywordArguments& keywordArguments);
// dict() and namespace(): the keyword arguments, sorted by name.
Value dictionary(const KeywordArguments& keywordArguments);
Value cycler(std::span<const Value> arguments);
Value joiner(std::span<const Value> arguments, const KeywordArguments& keywordArguments);
Value strftimeNow(std::span<const Value> arguments);

} // namespace Jinja::Globals
