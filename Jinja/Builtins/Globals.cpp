#include "Jinja/Builtins/Globals.h"

namespace Jinja::Globals {

namespace {

template <class Body>
Value function(Body body)
{
    return Value(Function([body](std::span<const Value> arguments, const KeywordArguments& keywordArguments,
                                 const std::shared_ptr<Environment>&) { return body(arguments, keywordArguments); }));
}

} // namespace

const std::unordered_map<String, Value>& builtIn()
{
    static const std::unordered_map<String, Value> table{
        {"raise_exception", function(raiseException)},
        {"range", function([](auto arguments, const auto&) { return range(arguments); })},
        {"lipsum", function(lipsum)},
        {"dict", function([](auto, const auto& keywordArguments) { return dictionary(keywordArguments); })},
        {"cycler", function([](auto arguments, const auto&) { return cycler(arguments); })},
        {"joiner", function(joiner)},
        {"namespace", function([](auto, const auto& keywordArguments) { return dictionary(keywordArguments); })},
        {"strftime_now", function([](auto arguments, const auto&) { return strftimeNow(arguments); })},
    };
    return table;
}

} // namespace Jinja::Globals
