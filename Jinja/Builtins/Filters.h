#pragma once

// The built-in filters: one function per filter with the shape of a built-in
// (the piped value first among the positional arguments), and the table by
// which templates find them by name.

#include "Jinja/Runtime/ArgumentBinding.h"
#include "Jinja/Runtime/Value.h"

#include <optional>
#include <span>
#include <unordered_map>
#include <vector>

namespace Jinja::Filters {

// Built once, on first use, and never changed. Names are case-sensitive.
const std::unordered_map<String, Function>& builtIn();

// How a filter meets its arguments before its own work.
struct Signature {
    std::span<const Parameter> parameters;
    // What the filter gives without a piped value (it may throw instead);
    // absent when it goes on with an undefined one.
    Value (*withoutInput)() = nullptr;
    // The kinds it checks before binding, and what it gives for any other
    // (it may throw instead); absent when it checks after binding.
    bool (*accepts)(const Value& input) = nullptr;
    Value (*refused)(const Value& input) = nullptr;
};

// The piped value and the parameters bound from the rest, or the result the
// filter gives at once.
struct Prologue {
    Value input;
    std::vector<Value> bound;
    std::optional<Value> result;
};

// The steps every filter takes first: no piped value, then a kind checked
// before binding, then binding what follows the piped value. Binding errors
// propagate.
Prologue begin(std::span<const Value> arguments, const KeywordArguments& keywordArguments, const Signature& signature);

using Environment = std::shared_ptr<Jinja::Environment>;

Value upper(std::span<const Value> arguments, const KeywordArguments& keywordArguments, const Environment&);
Value lower(std::span<const Value> arguments, const KeywordArguments& keywordArguments, const Environment&);
// Characters of a string, elements of an array, entries of an object; 0 for undefined.
Value length(std::span<const Value> arguments, const KeywordArguments& keywordArguments, const Environment&);
// (separator, attribute): the elements' text forms, or those of an attribute of each.
Value join(std::span<const Value> arguments, const KeywordArguments& keywordArguments, const Environment&);
// (default_value, boolean): replaces undefined, and false too when `boolean` is truthy.
Value defaultValue(std::span<const Value> arguments, const KeywordArguments& keywordArguments, const Environment&);
Value first(std::span<const Value> arguments, const KeywordArguments& keywordArguments, const Environment&);
Value last(std::span<const Value> arguments, const KeywordArguments& keywordArguments, const Environment&);
// A character, element or key drawn uniformly; undefined for anything else.
Value random(std::span<const Value> arguments, const KeywordArguments& keywordArguments, const Environment&);
Value reverse(std::span<const Value> arguments, const KeywordArguments& keywordArguments, const Environment&);

} // namespace Jinja::Filters
