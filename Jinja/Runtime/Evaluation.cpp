#include "Jinja/Builtins/PropertyMembers.h"
#include "Jinja/JinjaError.h"
#include "Jinja/Runtime/Interpreter.h"
#include "Jinja/Runtime/Nesting.h"
#include "Jinja/Runtime/Operations.h"
#include "Jinja/Runtime/Slicing.h"

#include <limits>

namespace Jinja::Interpreter {

// A template may nest macro calls deeply, each costing a few of these frames,
// so each form is evaluated out of line: evaluateExpression's own frame stays
// small instead of holding the locals of every form.
namespace {

[[noreturn]] void fail(std::string message)
{
    throw JinjaError(JinjaError::Kind::runtime, std::move(message));
}

[[noreturn]] void failSplat()
{
    fail("Unpacking operator can only be used in function calls");
}

[[gnu::noinline]] Value evaluateUnaryValue(UnaryOp op, const Value& operand)
{
    switch (op) {
    case UnaryOp::not_: return Value(!operand.isTruthy());
    case UnaryOp::minus:
        if (operand.isInt()) {
            if (operand.asInt() == std::numeric_limits<std::int64_t>::min())
                fail("Integer overflow (" + operand.description() + ")");
            return Value(-operand.asInt());
        }
        if (operand.isDouble())
            return Value(-operand.asDouble());
        fail("Cannot negate non-numeric value");
    case UnaryOp::plus:
        if (!operand.isNumeric())
            fail("Cannot apply unary plus to non-numeric value");
        return operand;
    case UnaryOp::splat: failSplat();
    }
    return operand;
}

[[gnu::noinline]] Value evaluateBinaryValues(BinaryOp op, const Value& left, const Value& right)
{
    switch (op) {
    case BinaryOp::add: return add(left, right);
    case BinaryOp::subtract: return subtract(left, right);
    case BinaryOp::multiply: return multiply(left, right);
    case BinaryOp::divide: return divide(left, right);
    case BinaryOp::floorDivide: return floorDivide(left, right);
    case BinaryOp::power: return power(left, right);
    case BinaryOp::modulo: return modulo(left, right);
    case BinaryOp::concat: return concatenate(left, right);
    case BinaryOp::equal: return Value(left.isEquivalent(right));
    case BinaryOp::notEqual: return Value(!left.isEquivalent(right));
    case BinaryOp::less: return Value(compare(left, right) < 0);
    case BinaryOp::lessEqual: return Value(compare(left, right) <= 0);
    case BinaryOp::greater: return Value(compare(left, right) > 0);
    case BinaryOp::greaterEqual: return Value(compare(left, right) >= 0);
    case BinaryOp::in: return Value(isContained(left, right));
    case BinaryOp::notIn: return Value(!isContained(left, right));
    case BinaryOp::and_:
    case BinaryOp::or_: break;
    }
    return Value::undefined();
}

[[gnu::noinline]] Value evaluateBinary(const BinaryExpression& binary, const Scope& scope)
{
    Value left = evaluateExpression(*binary.left, scope);
    if (binary.op == BinaryOp::or_)
        return left.isTruthy() ? left : evaluateExpression(*binary.right, scope);
    if (binary.op == BinaryOp::and_)
        return left.isTruthy() ? evaluateExpression(*binary.right, scope) : left;
    return evaluateBinaryValues(binary.op, left, evaluateExpression(*binary.right, scope));
}

bool isSplat(const Expression& expression)
{
    const auto* unary = std::get_if<UnaryExpression>(&expression.value);
    return unary && unary->op == UnaryOp::splat;
}

// Positional arguments with splats expanded (`allowSplat`) or refused.
[[gnu::noinline]] Array evaluateArguments(const ExpressionList& expressions, const Scope& scope, bool allowSplat,
                                          Value first = {}, bool withFirst = false)
{
    Array values;
    values.reserve(expressions.size() + (withFirst ? 1 : 0));
    if (withFirst)
        values.push_back(std::move(first));
    for (const Expression& expression : expressions) {
        if (!isSplat(expression)) {
            values.push_back(evaluateExpression(expression, scope));
            continue;
        }
        const Value spread = evaluateExpression(*std::get<UnaryExpression>(expression.value).operand, scope);
        if (!allowSplat)
            failSplat();
        if (!spread.isArray())
            fail("Cannot unpack non-array value");
        values.insert(values.end(), spread.asArray().begin(), spread.asArray().end());
    }
    return values;
}

[[gnu::noinline]] KeywordArguments evaluateKeywordArguments(const ExpressionDictionary& expressions, const Scope& scope)
{
    KeywordArguments values;
    for (const auto& [name, expression] : expressions)
        values.set(name, evaluateExpression(expression, scope));
    return values;
}

// Undefined for anything but an index within a string or array, or a key of an object.
[[gnu::noinline]] Value evaluateComputedMember(const Value& object, const Value& key)
{
    if (object.isObject() && key.isString()) {
        const Value* member = object.asObject().find(key.asString());
        return member ? *member : Value::undefined();
    }
    if (!key.isInt() || !(object.isString() || object.isArray()))
        return Value::undefined();
    return elementAt(object, key.asInt());
}

[[gnu::noinline]] Value evaluateMember(const MemberExpression& member, const Scope& scope)
{
    const Value object = evaluateExpression(*member.object, scope);
    if (member.computed)
        return evaluateComputedMember(object, evaluateExpression(*member.property, scope));
    const auto* name = std::get_if<Identifier>(&member.property->value);
    if (!name)
        fail("Property access requires identifier");
    return PropertyMembers::evaluate(object, name->name);
}

[[gnu::noinline]] Value evaluateSlice(const SliceExpression& slice, const Scope& scope)
{
    const Value object = evaluateExpression(*slice.object, scope);
    auto bound = [&](const OptionalExpression& expression) {
        return expression ? evaluateExpression(**expression, scope) : Value::undefined();
    };
    const Value start = bound(slice.start);
    const Value stop = bound(slice.stop);
    const Value step = bound(slice.step);
    return sliced(object, start, stop, step);
}

[[gnu::noinline]] Value evaluateCall(const CallExpression& call, const Scope& scope)
{
    const Value callee = evaluateExpression(*call.callee, scope);
    const Array arguments = evaluateArguments(call.arguments, scope, true);
    return Interpreter::call(callee, arguments, evaluateKeywordArguments(call.keywordArguments, scope), scope);
}

[[gnu::noinline]] Value evaluateFilter(const FilterExpression& filter, const Scope& scope)
{
    Value operand = evaluateExpression(*filter.operand, scope);
    const Array arguments = evaluateArguments(filter.arguments, scope, false, std::move(operand), true);
    return applyFilter(filter.name, arguments, evaluateKeywordArguments(filter.keywordArguments, scope), scope);
}

[[gnu::noinline]] Value evaluateTestExpression(const TestExpression& test, const Scope& scope)
{
    Value operand = evaluateExpression(*test.operand, scope);
    const Array arguments = evaluateArguments(test.arguments, scope, false, std::move(operand), true);
    return Value(evaluateTest(test.name, arguments, scope) != test.negated);
}

[[gnu::noinline]] Value evaluateTernary(const TernaryExpression& ternary, const Scope& scope)
{
    if (evaluateExpression(*ternary.test, scope).isTruthy())
        return evaluateExpression(*ternary.value, scope);
    return ternary.alternate ? evaluateExpression(**ternary.alternate, scope) : Value::null();
}

[[gnu::noinline]] Value evaluateElements(const ExpressionList& elements, const Scope& scope)
{
    Array values;
    values.reserve(elements.size());
    for (const Expression& element : elements)
        values.push_back(evaluateExpression(element, scope));
    return Value(std::move(values));
}

[[gnu::noinline]] Value evaluateObject(const ObjectLiteral& literal, const Scope& scope)
{
    Value object{Object()};
    for (const auto& [key, expression] : literal.entries)
        object.setMember(key, evaluateExpression(expression, scope));
    return object;
}

} // namespace

Value evaluateExpression(const Expression& expression, const Scope& scope)
{
    const NestingGuard nesting(NestingGuard::Kind::evaluation);
    return std::visit(
        [&](const auto& form) -> Value {
            using Form = std::decay_t<decltype(form)>;
            if constexpr (std::is_same_v<Form, StringLiteral> || std::is_same_v<Form, NumberLiteral> ||
                          std::is_same_v<Form, IntegerLiteral> || std::is_same_v<Form, BooleanLiteral>)
                return Value(form.value);
            else if constexpr (std::is_same_v<Form, NullLiteral>)
                return Value::null();
            else if constexpr (std::is_same_v<Form, ArrayLiteral> || std::is_same_v<Form, TupleLiteral>)
                return evaluateElements(form.elements, scope);
            else if constexpr (std::is_same_v<Form, ObjectLiteral>)
                return evaluateObject(form, scope);
            else if constexpr (std::is_same_v<Form, Identifier>)
                return (*scope)[form.name];
            else if constexpr (std::is_same_v<Form, UnaryExpression>)
                return evaluateUnaryValue(form.op, evaluateExpression(*form.operand, scope));
            else if constexpr (std::is_same_v<Form, BinaryExpression>)
                return evaluateBinary(form, scope);
            else if constexpr (std::is_same_v<Form, TernaryExpression>)
                return evaluateTernary(form, scope);
            else if constexpr (std::is_same_v<Form, CallExpression>)
                return evaluateCall(form, scope);
            else if constexpr (std::is_same_v<Form, MemberExpression>)
                return evaluateMember(form, scope);
            else if constexpr (std::is_same_v<Form, SliceExpression>)
                return evaluateSlice(form, scope);
            else if constexpr (std::is_same_v<Form, FilterExpression>)
                return evaluateFilter(form, scope);
            else
                return evaluateTestExpression(form, scope);
        },
        expression.value);
}

} // namespace Jinja::Interpreter
