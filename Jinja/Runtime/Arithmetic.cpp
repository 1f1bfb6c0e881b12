#include "Jinja/JinjaError.h"
#include "Jinja/Runtime/Limits.h"
#include "Jinja/Runtime/Operations.h"

#include <cmath>
#include <cstdint>
#include <limits>

namespace Jinja {

namespace {

[[noreturn]] void fail(const std::string& phrase, const Value& left, const Value& right)
{
    throw JinjaError(JinjaError::Kind::runtime,
                     phrase + " (" + left.description() + " and " + right.description() + ")");
}

[[noreturn]] void overflow(const Value& left, const Value& right)
{
    fail("Integer overflow", left, right);
}

bool isZero(const Value& divisor)
{
    return divisor.asNumber() == 0;
}

// A double that stands for an int result: finite and within 64 bits.
Value integral(double result, const Value& left, const Value& right)
{
    // 2^63 is exact in a double; every double below it converts.
    constexpr double limit = 9223372036854775808.0;
    if (!(result >= -limit && result < limit))
        overflow(left, right);
    return Value(static_cast<std::int64_t>(result));
}

// An int operation through a checked builtin, which reports a result that does not fit.
template <class Checked>
Value checkedInt(Checked checked, const Value& left, const Value& right)
{
    std::int64_t result;
    if (checked(left.asInt(), right.asInt(), &result))
        overflow(left, right);
    return Value(result);
}

Value joined(const std::string& first, const std::string& second)
{
    checkStringSize(first.size() + second.size());
    return Value(first + second);
}

} // namespace

Value add(const Value& left, const Value& right)
{
    if (left.isInt() && right.isInt()) {
        return checkedInt([](auto a, auto b, auto* result) { return __builtin_add_overflow(a, b, result); }, left,
                          right);
    }
    if (left.isNumeric() && right.isNumeric())
        return Value(left.asNumber() + right.asNumber());
    if (left.isString())
        return joined(left.asString().utf8(), right.description());
    if (left.isArray() && right.isArray()) {
        checkArrayCount(left.asArray().size() + right.asArray().size());
        Array elements = left.asArray();
        elements.insert(elements.end(), right.asArray().begin(), right.asArray().end());
        return Value(std::move(elements));
    }
    if (right.isString())
        return joined(left.description(), right.asString().utf8());
    fail("Cannot add values of different types", left, right);
}

Value subtract(const Value& left, const Value& right)
{
    if (left.isInt() && right.isInt()) {
        return checkedInt([](auto a, auto b, auto* result) { return __builtin_sub_overflow(a, b, result); }, left,
                          right);
    }
    if (left.isNumeric() && right.isNumeric())
        return Value(left.asNumber() - right.asNumber());
    fail("Cannot subtract non-numeric values", left, right);
}

Value multiply(const Value& left, const Value& right)
{
    const Value* text = left.isString() && right.isInt() ? &left : right.isString() && left.isInt() ? &right : nullptr;
    if (text) {
        const std::int64_t count = (text == &left ? right : left).asInt();
        const std::string& piece = text->asString().utf8();
        if (count <= 0 || piece.empty())
            return Value("");
        const bool countable = static_cast<std::uint64_t>(count) <= maximumStringBytes / piece.size();
        checkStringSize(countable ? piece.size() * static_cast<std::size_t>(count) : SIZE_MAX);
        std::string repeated;
        repeated.reserve(piece.size() * static_cast<std::size_t>(count));
        for (std::int64_t index = 0; index < count; ++index)
            repeated += piece;
        return Value(std::move(repeated));
    }
    if (left.isInt() && right.isInt()) {
        return checkedInt([](auto a, auto b, auto* result) { return __builtin_mul_overflow(a, b, result); }, left,
                          right);
    }
    if (left.isNumeric() && right.isNumeric())
        return Value(left.asNumber() * right.asNumber());
    fail("Cannot multiply values of these types", left, right);
}

Value divide(const Value& left, const Value& right)
{
    if (!left.isNumeric() || !right.isNumeric())
        fail("Cannot divide non-numeric values", left, right);
    if (isZero(right))
        throw JinjaError(JinjaError::Kind::runtime, "Division by zero");
    return Value(left.asNumber() / right.asNumber());
}

Value floorDivide(const Value& left, const Value& right)
{
    if (!left.isNumeric() || !right.isNumeric())
        fail("Cannot floor divide non-numeric values", left, right);
    if (isZero(right))
        throw JinjaError(JinjaError::Kind::runtime, "Division by zero");
    if (left.isInt() && right.isInt()) {
        if (left.asInt() == std::numeric_limits<std::int64_t>::min() && right.asInt() == -1)
            overflow(left, right);
        return Value(left.asInt() / right.asInt());
    }
    return integral(std::floor(left.asNumber() / right.asNumber()), left, right);
}

Value power(const Value& base, const Value& exponent)
{
    if (!base.isNumeric() || !exponent.isNumeric())
        fail("Cannot raise non-numeric values to a power", base, exponent);
    const double result = std::pow(base.asNumber(), exponent.asNumber());
    if (base.isInt() && exponent.isInt() && exponent.asInt() >= 0)
        return integral(result, base, exponent);
    return Value(result);
}

Value modulo(const Value& left, const Value& right)
{
    if (!left.isInt() || !right.isInt())
        fail("Modulo operation requires integers", left, right);
    if (right.asInt() == 0)
        throw JinjaError(JinjaError::Kind::runtime, "Modulo by zero");
    // The one quotient that does not fit; its remainder is 0.
    if (right.asInt() == -1)
        return Value(0);
    return Value(left.asInt() % right.asInt());
}

Value concatenate(const Value& left, const Value& right)
{
    if (!left.isString() && !right.isString())
        fail("Cannot concatenate values of different types", left, right);
    return joined(left.description(), right.description());
}

} // namespace Jinja
