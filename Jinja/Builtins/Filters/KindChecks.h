#pragma once

// The kind checks and fixed results that the filters' signatures share.

#include "Jinja/Runtime/Value.h"

namespace Jinja::Filters {

inline bool isString(const Value& input)
{
    return input.isString();
}

inline bool isArray(const Value& input)
{
    return input.isArray();
}

inline bool isObject(const Value& input)
{
    return input.isObject();
}

inline Value emptyText()
{
    return Value("");
}

inline Value emptyArray()
{
    return Value(Array{});
}

// What a filter gives for a value of a kind it does not take.
inline Value emptyTextInstead(const Value&)
{
    return emptyText();
}

inline Value emptyArrayInstead(const Value&)
{
    return emptyArray();
}

inline Value unchanged(const Value& input)
{
    return input;
}

} // namespace Jinja::Filters
