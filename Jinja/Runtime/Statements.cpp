#include "Jinja/Builtins/Filters.h"
#include "Jinja/JinjaError.h"
#include "Jinja/Runtime/Limits.h"
#include "Jinja/Runtime/Nesting.h"
#include "Jinja/Runtime/RenderScopes.h"
#include "Jinja/Runtime/Walk.h"

namespace Jinja::Interpreter {

namespace detail {
namespace {

[[noreturn]] void fail(std::string message)
{
    throw JinjaError(JinjaError::Kind::runtime, std::move(message));
}

[[gnu::noinline]] void executeSet(const SetStatement& set, const Scope& scope)
{
    if (set.value)
        assign(*set.target, evaluateExpression(**set.value, scope), scope);
    else
        assign(*set.target, Value(renderedText(set.body, scope)), scope);
}

// The function a call block hands to its callee as `caller`: it renders the
// block's body below the scope the block ran in, with the caller parameters
// bound to the arguments it is given.
[[gnu::noinline]] Value makeCaller(const CallStatement& block, const Scope& blockScope)
{
    return Value(Function([block, blockScope](std::span<const Value> arguments, const KeywordArguments&, const Scope&) {
        const Scope scope = RenderScopes::make(blockScope);
        if (block.callerArguments) {
            const ExpressionList& parameters = *block.callerArguments;
            for (std::size_t index = 0; index < parameters.size() && index < arguments.size(); ++index) {
                const auto* name = std::get_if<Identifier>(&parameters[index].value);
                if (!name)
                    fail("Caller parameter must be an identifier");
                scope->set(name->name, arguments[index]);
            }
        }
        return Value(renderedText(block.body, scope));
    }));
}

[[gnu::noinline]] void executeCall(const CallStatement& block, const Scope& scope, std::string& output)
{
    const auto* call = std::get_if<CallExpression>(&block.callable->value);
    const Value callee = evaluateExpression(call ? *call->callee : *block.callable, scope);
    const Scope child = RenderScopes::make(scope);
    child->set("caller", makeCaller(block, scope));
    Array arguments;
    KeywordArguments keywordArguments;
    if (call) {
        arguments.reserve(call->arguments.size());
        for (const Expression& argument : call->arguments)
            arguments.push_back(evaluateExpression(argument, scope));
        for (const auto& [name, argument] : call->keywordArguments)
            keywordArguments.set(name, evaluateExpression(argument, scope));
    }
    append(output, Interpreter::call(callee, arguments, keywordArguments, child).description());
}

[[gnu::noinline]] void executeFilterBlock(const FilterStatement& block, const Scope& scope, std::string& output)
{
    Array arguments{Value(renderedText(block.body, scope))};
    KeywordArguments unused;
    String name;
    if (const auto* identifier = std::get_if<Identifier>(&block.filter->value)) {
        name = identifier->name;
    } else if (const auto* filter = std::get_if<FilterExpression>(&block.filter->value)) {
        name = filter->name;
        for (const Expression& argument : filter->arguments)
            arguments.push_back(evaluateExpression(argument, scope));
    } else {
        fail("Invalid filter expression in filter statement");
    }
    append(output, applyFilter(name, arguments, unused, scope).description());
}

// Out of line, like every step of a walk, so that the walk's frame stays small
// for templates that nest macro calls deeply.
[[gnu::noinline]] void appendValue(std::string& output, const Value& value)
{
    if (value.isString())
        append(output, value.asString().utf8());
    else
        append(output, value.description());
}

[[gnu::noinline]] Flow execute(const Statement& statement, const Scope& scope, std::string& output)
{
    const NestingGuard nesting(NestingGuard::Kind::evaluation);
    return std::visit(
        [&](const auto& form) -> Flow {
            using Form = std::decay_t<decltype(form)>;
            if constexpr (std::is_same_v<Form, ProgramStatement> || std::is_same_v<Form, GenerationStatement>) {
                return walk(form.body, scope, output);
            } else if constexpr (std::is_same_v<Form, SetStatement>) {
                executeSet(form, scope);
            } else if constexpr (std::is_same_v<Form, IfStatement>) {
                return walk(evaluateExpression(*form.test, scope).isTruthy() ? form.body : form.alternate, scope,
                            output);
            } else if constexpr (std::is_same_v<Form, ForStatement>) {
                return executeFor(form, scope, output);
            } else if constexpr (std::is_same_v<Form, MacroStatement>) {
                scope->set(form.name, Value(Macro{form.name, form.parameters, form.defaults, form.body}));
            } else if constexpr (std::is_same_v<Form, BreakStatement>) {
                return Flow::breakLoop;
            } else if constexpr (std::is_same_v<Form, ContinueStatement>) {
                return Flow::continueLoop;
            } else if constexpr (std::is_same_v<Form, CallStatement>) {
                executeCall(form, scope, output);
            } else {
                executeFilterBlock(form, scope, output);
            }
            return Flow::normal;
        },
        statement.value);
}

} // namespace

void append(std::string& output, std::string_view text)
{
    checkStringSize(output.size() + text.size());
    output += text;
}

Flow walk(const NodeList& nodes, const Scope& scope, std::string& output)
{
    for (const Node& node : nodes) {
        if (const auto* text = std::get_if<TextNode>(&node.value)) {
            append(output, text->text.utf8());
        } else if (const auto* expression = std::get_if<Expression>(&node.value)) {
            appendValue(output, evaluateExpression(*expression, scope));
        } else if (const auto* statement = std::get_if<Statement>(&node.value)) {
            if (const Flow flow = execute(*statement, scope, output); flow != Flow::normal)
                return flow;
        }
    }
    return Flow::normal;
}

std::string renderedText(const NodeList& nodes, const Scope& scope)
{
    std::string text;
    if (const Flow flow = walk(nodes, scope, text); flow != Flow::normal)
        throw ControlFlow::from(flow);
    return text;
}

} // namespace detail

void interpret(const NodeList& nodes, const Scope& scope, std::string& output)
{
    if (const Flow flow = detail::walk(nodes, scope, output); flow != Flow::normal)
        throw ControlFlow::from(flow);
}

std::string interpret(const NodeList& nodes, const Environment& environment)
{
    const RenderScopes scopes;
    const Scope root = RenderScopes::make(nullptr, environment.variables());
    std::string output;
    output.reserve(1024);
    interpret(nodes, root, output);
    return output;
}

} // namespace Jinja::Interpreter
