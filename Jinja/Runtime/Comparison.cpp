#include "Jinja/JinjaError.h"
#include "Jinja/Runtime/ComposedText.h"
#include "Jinja/Runtime/Operations.h"

#include <algorithm>

namespace Jinja {

int compare(const Value& left, const Value& right)
{
    if (left.isNumeric() && right.isNumeric()) {
        if (left.isInt() && right.isInt())
            return left.asInt() < right.asInt() ? -1 : left.asInt() > right.asInt() ? 1 : 0;
        const double first = left.asNumber();
        const double second = right.asNumber();
        return first < second ? -1 : first > second ? 1 : 0;
    }
    if (left.isString() && right.isString()) {
        const auto order = left.asString() <=> right.asString();
        return order < 0 ? -1 : order > 0 ? 1 : 0;
    }
    throw JinjaError(JinjaError::Kind::runtime, "Cannot compare values of different types (" + left.description() +
                                                    " and " + right.description() + ")");
}

bool isContained(const Value& needle, const Value& container)
{
    if (container.isObject())
        return needle.isString() && container.asObject().contains(needle.asString());
    if (container.isString()) {
        if (!needle.isString())
            return false;
        return composedText(container.asString().utf8()).find(composedText(needle.asString().utf8())) !=
               std::string::npos;
    }
    if (container.isArray())
        return std::ranges::find(container.asArray(), needle) != container.asArray().end();
    if (container.isNull() || container.isUndefined())
        return false;
    throw JinjaError(JinjaError::Kind::runtime,
                     "'in' operator requires iterable on right side (" + container.description() + ")");
}

} // namespace Jinja
