#include "Jinja/JinjaError.h"
#include "Jinja/Runtime/Nesting.h"
#include "Jinja/Runtime/RenderScopes.h"
#include "Jinja/Runtime/Walk.h"

namespace Jinja::Interpreter {

Value callMacro(const Macro& macro, std::span<const Value> arguments, const KeywordArguments& keywordArguments,
                const Scope& scope)
{
    // The body sees the calling scope, not the one the macro was defined in.
    const Scope macroScope = RenderScopes::make(scope);
    static const String callerName = "caller";
    if (Value caller = (*scope)[callerName]; !caller.isUndefined())
        macroScope->set(callerName, std::move(caller));
    // Defaults read the calling scope, so they cannot see this call's arguments.
    for (const auto& [name, expression] : macro.defaults)
        macroScope->set(name, evaluateExpression(expression, scope));
    for (std::size_t index = 0; index < macro.parameters.size(); ++index) {
        const String& name = macro.parameters[index];
        macroScope->set(name, index < arguments.size() ? arguments[index] : (*macroScope)[name]);
    }
    for (const auto& [name, value] : keywordArguments)
        macroScope->set(name, value);
    return Value(detail::renderedText(macro.body, macroScope));
}

Value call(const Value& callee, std::span<const Value> arguments, const KeywordArguments& keywordArguments,
           const Scope& scope)
{
    if (!callee.isFunction() && !callee.isMacro())
        throw JinjaError(JinjaError::Kind::runtime, "Cannot call non-function value");
    const NestingGuard nesting(NestingGuard::Kind::call);
    if (callee.isMacro())
        return callMacro(callee.asMacro(), arguments, keywordArguments, scope);
    return callee.asFunction()(arguments, keywordArguments, scope);
}

} // namespace Jinja::Interpreter
