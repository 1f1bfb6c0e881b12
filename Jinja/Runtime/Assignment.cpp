#include "Jinja/JinjaError.h"
#include "Jinja/Runtime/Interpreter.h"
#include "Jinja/Syntax/DebugText.h"

namespace Jinja::Interpreter {

namespace {

[[noreturn]] void fail(std::string message)
{
    throw JinjaError(JinjaError::Kind::runtime, std::move(message));
}

void assignTuple(const TupleLiteral& targets, const Value& value, const Scope& scope)
{
    if (!value.isArray())
        fail("Cannot unpack non-array value for tuple assignment.");
    const Array& elements = value.asArray();
    if (elements.size() != targets.elements.size())
        fail("Tuple assignment mismatch: " + std::to_string(targets.elements.size()) + " variables and " +
             std::to_string(elements.size()) + " values.");
    for (std::size_t index = 0; index < elements.size(); ++index)
        assign(targets.elements[index], elements[index], scope);
}

// Only an object held directly by a variable changes: a member of anything
// else (a nested member, an index, a call) changes a copy, which is dropped.
void assignMember(const MemberExpression& target, Value value, const Scope& scope)
{
    Value object = evaluateExpression(*target.object, scope);
    String key;
    if (target.computed) {
        const Value computed = evaluateExpression(*target.property, scope);
        if (!computed.isString())
            fail("Computed property key must be a string");
        key = computed.asString();
    } else {
        const auto* name = std::get_if<Identifier>(&target.property->value);
        if (!name)
            fail("Property assignment requires identifier");
        key = name->name;
    }
    const auto* variable = std::get_if<Identifier>(&target.object->value);
    if (!object.isObject() || !variable)
        return;
    object.setMember(key, std::move(value));
    scope->setInChain(variable->name, std::move(object));
}

} // namespace

void assign(const Expression& target, Value value, const Scope& scope)
{
    if (const auto* name = std::get_if<Identifier>(&target.value))
        scope->set(name->name, std::move(value));
    else if (const auto* tuple = std::get_if<TupleLiteral>(&target.value))
        assignTuple(*tuple, value, scope);
    else if (const auto* member = std::get_if<MemberExpression>(&target.value))
        assignMember(*member, std::move(value), scope);
    else
        fail("Invalid target for assignment: " + debugText(target));
}

} // namespace Jinja::Interpreter
