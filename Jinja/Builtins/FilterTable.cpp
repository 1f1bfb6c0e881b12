#include "Jinja/Builtins/Filters.h"

namespace Jinja::Filters {

namespace {

constexpr std::size_t filterCount = 54;

} // namespace

const std::unordered_map<String, Function>& builtIn()
{
    static const std::unordered_map<String, Function> table = [] {
        const std::pair<const char*, Function> entries[] = {
            {"upper", upper}, {"lower", lower},          {"length", length},   {"count", length},
            {"join", join},   {"default", defaultValue}, {"d", defaultValue},  {"first", first},
            {"last", last},   {"random", random},        {"reverse", reverse},
        };
        std::unordered_map<String, Function> filters;
        filters.reserve(filterCount);
        for (const auto& [name, function] : entries)
            filters.emplace(name, function);
        addNumberFilters(filters);
        addTextFilters(filters);
        addCollectionFilters(filters);
        addSelectionFilters(filters);
        addMarkupFilters(filters);
        addSortingFilters(filters);
        addFormattingFilters(filters);
        return filters;
    }();
    return table;
}

Prologue begin(std::span<const Value> arguments, const KeywordArguments& keywordArguments, const Signature& signature)
{
    Prologue prologue;
    if (arguments.empty() && signature.withoutInput) {
        prologue.result = signature.withoutInput();
        return prologue;
    }
    prologue.input = arguments.empty() ? Value::undefined() : arguments.front();
    if (signature.accepts && !signature.accepts(prologue.input)) {
        prologue.result = signature.refused(prologue.input);
        return prologue;
    }
    prologue.bound = resolveCallArguments(arguments.empty() ? arguments : arguments.subspan(1), keywordArguments,
                                          signature.parameters);
    return prologue;
}

} // namespace Jinja::Filters
