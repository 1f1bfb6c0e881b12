#include "Jinja/Builtins/PropertyMembers.h"

#include "Jinja/Builtins/StringMethods.h"
#include "Jinja/Runtime/ArgumentBinding.h"

#include <algorithm>
#include <array>

namespace Jinja::PropertyMembers {

namespace {

using Method = Value (*)(const Value& receiver, std::span<const Value> bound);

struct MethodEntry {
    std::string_view name;
    std::span<const Parameter> parameters;
    Method method;
};

// The method bound to `receiver`, which it keeps a copy of.
Value bound(const Value& receiver, const MethodEntry& entry)
{
    return Value(Function([receiver, entry](std::span<const Value> arguments, const KeywordArguments& keywordArguments,
                                            const std::shared_ptr<Environment>&) {
        return entry.method(receiver, resolveCallArguments(arguments, keywordArguments, entry.parameters));
    }));
}

template <std::size_t count>
const MethodEntry* find(const std::array<MethodEntry, count>& table, std::string_view name)
{
    const auto found = std::ranges::find(table, name, &MethodEntry::name);
    return found == table.end() ? nullptr : &*found;
}

Value items(const Value& object, std::span<const Value>)
{
    Array pairs;
    pairs.reserve(object.asObject().size());
    for (const auto& [key, value] : object.asObject())
        pairs.push_back(Value(Array{Value(key), value}));
    return Value(std::move(pairs));
}

Value get(const Value& object, std::span<const Value> bound)
{
    const String key = bound[0].isString() ? bound[0].asString() : String(bound[0].description());
    const Value* value = object.asObject().find(key);
    return value ? *value : bound[1];
}

Value keys(const Value& object, std::span<const Value>)
{
    Array keys;
    keys.reserve(object.asObject().size());
    for (const String& key : object.asObject().keys())
        keys.emplace_back(key);
    return Value(std::move(keys));
}

Value values(const Value& object, std::span<const Value>)
{
    const auto members = object.asObject().values();
    return Value(Array(members.begin(), members.end()));
}

const Parameter getParameters[] = {{"key", std::nullopt}, {"default", Value::null()}};

const std::array<MethodEntry, 4> objectMethods{{
    {"items", {}, items},
    {"get", getParameters, get},
    {"keys", {}, keys},
    {"values", {}, values},
}};

const Parameter splitParameters[] = {{"separator", Value::null()}, {"maxsplit", Value(-1)}};
const Parameter replaceParameters[] = {{"old", std::nullopt}, {"new", std::nullopt}, {"count", Value(-1)}};
const Parameter prefixParameters[] = {{"prefix", std::nullopt}};
const Parameter suffixParameters[] = {{"suffix", std::nullopt}};

const std::array<MethodEntry, 10> stringMethods{{
    {"upper", {}, StringMethods::upper},
    {"lower", {}, StringMethods::lower},
    {"title", {}, StringMethods::title},
    {"strip", {}, StringMethods::strip},
    {"lstrip", {}, StringMethods::lstrip},
    {"rstrip", {}, StringMethods::rstrip},
    {"split", splitParameters, StringMethods::split},
    {"replace", replaceParameters, StringMethods::replace},
    {"startswith", prefixParameters, StringMethods::startswith},
    {"endswith", suffixParameters, StringMethods::endswith},
}};

} // namespace

Value evaluate(const Value& value, const String& name)
{
    if (value.isString())
        return evaluateStringProperty(value, name);
    if (value.isObject())
        return evaluateObjectProperty(value, name);
    return Value::undefined();
}

Value evaluateStringProperty(const Value& text, const String& name)
{
    const MethodEntry* entry = find(stringMethods, name.utf8());
    return entry ? bound(text, *entry) : Value::undefined();
}

Value evaluateObjectProperty(const Value& object, const String& name)
{
    if (const MethodEntry* entry = find(objectMethods, name.utf8()))
        return bound(object, *entry);
    const Value* member = object.asObject().find(name);
    return member ? *member : Value::undefined();
}

} // namespace Jinja::PropertyMembers
