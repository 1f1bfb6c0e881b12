#include "Jinja/Builtins/Filters.h"
#include "Jinja/Builtins/Tests.h"
#include "Jinja/JinjaError.h"
#include "Jinja/Runtime/Interpreter.h"
#include "Jinja/Runtime/Nesting.h"

namespace Jinja::Interpreter {

namespace {

// A function variable of that name hides the built-in; a variable of any other kind does not.
std::optional<Value> functionVariable(const String& name, const Scope& scope)
{
    Value variable = (*scope)[name];
    if (variable.isFunction())
        return variable;
    return std::nullopt;
}

} // namespace

Value applyFilter(const String& name, std::span<const Value> arguments, const KeywordArguments& keywordArguments,
                  const Scope& scope)
{
    if (const auto variable = functionVariable(name, scope))
        return call(*variable, arguments, keywordArguments, scope);
    const auto& filters = Filters::builtIn();
    const auto filter = filters.find(name);
    if (filter == filters.end())
        throw JinjaError(JinjaError::Kind::runtime, "Unknown filter: " + name.utf8());
    const NestingGuard nesting(NestingGuard::Kind::call);
    return filter->second(arguments, keywordArguments, scope);
}

bool evaluateTest(const String& name, std::span<const Value> arguments, const Scope& scope)
{
    if (const auto variable = functionVariable(name, scope)) {
        const Value result = call(*variable, arguments, {}, scope);
        return result.isBoolean() ? result.asBoolean() : result.isTruthy();
    }
    const auto& tests = Tests::builtIn();
    const auto test = tests.find(name);
    if (test == tests.end())
        throw JinjaError(JinjaError::Kind::runtime, "Unknown test: " + name.utf8());
    return test->second(arguments, {}, scope);
}

} // namespace Jinja::Interpreter
