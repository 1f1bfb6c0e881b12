#include "Jinja/Builtins/TestRules.h"

#include "Jinja/Runtime/Operations.h"
#include "Platform/Text/CaseMapping.h"

#include <cmath>
#include <limits>

namespace Jinja::Tests {

bool isEven(const Value& value)
{
    if (value.isInt())
        return value.asInt() % 2 == 0;
    return value.isDouble() && std::isfinite(value.asDouble()) && std::fmod(value.asDouble(), 2.0) == 0;
}

bool isOdd(const Value& value)
{
    if (value.isInt())
        return value.asInt() % 2 != 0;
    if (!value.isDouble() || !std::isfinite(value.asDouble()))
        return false;
    const double number = value.asDouble();
    return std::trunc(number) == number && std::fmod(number, 2.0) != 0;
}

bool isDivisibleBy(const Value& value, const Value& divisor)
{
    if (!value.isNumeric() || !divisor.isNumeric())
        return false;
    if (value.isInt() && divisor.isInt()) {
        if (divisor.asInt() == 0)
            return false;
        // The one remainder that does not fit 64 bits: the smallest int is divisible by -1.
        if (divisor.asInt() == -1)
            return true;
        return value.asInt() % divisor.asInt() == 0;
    }
    if (divisor.asNumber() == 0)
        return false;
    return std::fmod(value.asNumber(), divisor.asNumber()) == 0;
}

bool isUpper(const Value& value)
{
    return value.isString() && String(Platform::uppercased(value.asString().utf8())) == value.asString();
}

bool isLower(const Value& value)
{
    return value.isString() && String(Platform::lowercased(value.asString().utf8())) == value.asString();
}

bool isIn(const Value& value, const Value& container)
{
    if (container.isString() || container.isObject())
        return value.isString() && !(container.isString() && value.asString().empty()) && isContained(value, container);
    if (container.isArray()) {
        for (const Value& element : container.asArray()) {
            if (compare(element, value) == 0)
                return true;
        }
    }
    return false;
}

} // namespace Jinja::Tests
