#include "Jinja/Builtins/Filters.h"
#include "Jinja/Builtins/TestRules.h"
#include "Jinja/Builtins/Tests.h"
#include "Jinja/JinjaError.h"
#include "Jinja/Runtime/ArgumentBinding.h"
#include "Jinja/Runtime/Operations.h"

#include <utility>

namespace Jinja::Tests {

namespace {

using Scope = std::shared_ptr<Environment>;

const Parameter valueParameters[] = {{"value", std::nullopt}};
const Parameter divisorParameters[] = {{"value", std::nullopt}, {"divisor", std::nullopt}};
const Parameter containerParameters[] = {{"value", std::nullopt}, {"container", std::nullopt}};
const Parameter comparisonParameters[] = {{"a", std::nullopt}, {"b", std::nullopt}};

template <bool (*rule)(const Value&)>
bool unary(std::span<const Value> arguments, const KeywordArguments& keywordArguments, const Scope&)
{
    return rule(resolveCallArguments(arguments, keywordArguments, valueParameters)[0]);
}

template <const auto& parameters, bool (*rule)(const Value&, const Value&)>
bool binary(std::span<const Value> arguments, const KeywordArguments& keywordArguments, const Scope&)
{
    const std::vector<Value> bound = resolveCallArguments(arguments, keywordArguments, parameters);
    return rule(bound[0], bound[1]);
}

// The ordering tests: values that do not compare (not two numbers or two strings) are not ordered.
template <bool (*holds)(int)>
bool ordered(const Value& a, const Value& b)
{
    try {
        return holds(compare(a, b));
    } catch (const JinjaError&) {
        return false;
    }
}

template <bool (*rule)(const Value&, const Value&)>
constexpr Test comparison = binary<comparisonParameters, rule>;

constexpr Test defined = unary<+[](const Value& value) { return !value.isUndefined(); }>;
constexpr Test undefined = unary<+[](const Value& value) { return value.isUndefined(); }>;
constexpr Test none = unary<+[](const Value& value) { return value.isNull(); }>;
constexpr Test string = unary<+[](const Value& value) { return value.isString(); }>;
constexpr Test number = unary<+[](const Value& value) { return value.isNumeric(); }>;
constexpr Test boolean = unary<+[](const Value& value) { return value.isBoolean(); }>;
constexpr Test iterable = unary<+[](const Value& value) { return value.isIterable(); }>;
constexpr Test even = unary<isEven>;
constexpr Test odd = unary<isOdd>;
constexpr Test divisibleby = binary<divisorParameters, isDivisibleBy>;
constexpr Test mapping = unary<+[](const Value& value) { return value.isObject(); }>;
constexpr Test callable = unary<+[](const Value& value) { return value.isFunction() || value.isMacro(); }>;
constexpr Test integer = unary<+[](const Value& value) { return value.isInt(); }>;
constexpr Test isTrue = unary<+[](const Value& value) { return value.isBoolean() && value.asBoolean(); }>;
constexpr Test isFalse = unary<+[](const Value& value) { return value.isBoolean() && !value.asBoolean(); }>;
constexpr Test lower = unary<isLower>;
constexpr Test upper = unary<isUpper>;
constexpr Test floating = unary<+[](const Value& value) { return value.isDouble(); }>;
constexpr Test sequence = unary<+[](const Value& value) { return value.isString() || value.isArray(); }>;
constexpr Test escaped = unary<+[](const Value&) { return false; }>;
constexpr Test filter =
    unary<+[](const Value& value) { return value.isString() && Filters::builtIn().contains(value.asString()); }>;
constexpr Test test =
    unary<+[](const Value& value) { return value.isString() && builtIn().contains(value.asString()); }>;
// Unlike the ordering tests, values that do not compare make sameas fail.
constexpr Test sameas = comparison<+[](const Value& a, const Value& b) { return compare(a, b) == 0; }>;
constexpr Test in = binary<containerParameters, isIn>;
constexpr Test eq = comparison<+[](const Value& a, const Value& b) { return a.isEquivalent(b); }>;
constexpr Test ne = comparison<+[](const Value& a, const Value& b) { return !a.isEquivalent(b); }>;
bool above(int order)
{
    return order > 0;
}
bool atLeast(int order)
{
    return order >= 0;
}
bool below(int order)
{
    return order < 0;
}
bool atMost(int order)
{
    return order <= 0;
}
constexpr Test gt = comparison<ordered<above>>;
constexpr Test ge = comparison<ordered<atLeast>>;
constexpr Test lt = comparison<ordered<below>>;
constexpr Test le = comparison<ordered<atMost>>;

constexpr std::pair<const char*, Test> entries[] = {
    {"defined", defined},
    {"undefined", undefined},
    {"none", none},
    {"string", string},
    {"number", number},
    {"boolean", boolean},
    {"iterable", iterable},
    {"even", even},
    {"odd", odd},
    {"divisibleby", divisibleby},
    {"mapping", mapping},
    {"callable", callable},
    {"integer", integer},
    {"true", isTrue},
    {"false", isFalse},
    {"lower", lower},
    {"upper", upper},
    {"float", floating},
    {"sequence", sequence},
    {"escaped", escaped},
    {"filter", filter},
    {"test", test},
    {"sameas", sameas},
    {"in", in},
    {"eq", eq},
    {"==", eq},
    {"equalto", eq},
    {"ne", ne},
    {"!=", ne},
    {"gt", gt},
    {">", gt},
    {"greaterthan", gt},
    {"ge", ge},
    {">=", ge},
    {"lt", lt},
    {"<", lt},
    {"lessthan", lt},
    {"le", le},
    {"<=", le},
};

} // namespace

const std::unordered_map<String, Test>& builtIn()
{
    static const std::unordered_map<String, Test> table = [] {
        std::unordered_map<String, Test> tests;
        tests.reserve(std::size(entries));
        for (const auto& [name, rule] : entries)
            tests.emplace(name, rule);
        return tests;
    }();
    return table;
}

} // namespace Jinja::Tests
