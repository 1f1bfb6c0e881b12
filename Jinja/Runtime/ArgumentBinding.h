#pragma once

// The one binder through which every built-in (filter, test, global function,
// member method) turns a call's positional and keyword arguments into its
// named parameters, filling in defaults.

#include "Jinja/Runtime/Value.h"

#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace Jinja {

struct Parameter {
    std::string_view name;
    // Absent for a required parameter; a null default is a default.
    std::optional<Value> defaultValue;
};

// The bound value of each parameter, in the parameters' order. Positional
// arguments beyond the parameters are ignored. Throws a runtime JinjaError
// for an argument given both ways, a keyword that names no parameter (the
// first as written) or a missing required argument, in that order of checks.
std::vector<Value> resolveCallArguments(std::span<const Value> arguments, const KeywordArguments& keywordArguments,
                                        std::span<const Parameter> parameters);

} // namespace Jinja
