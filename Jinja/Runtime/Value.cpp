#include "Jinja/Runtime/Value.h"

#include "Jinja/Runtime/Limits.h"

#include <algorithm>
#include <cstring>

namespace Jinja {

namespace {

int nestedDepth(const Array& elements)
{
    int deepest = 0;
    for (const Value& element : elements)
        deepest = std::max(deepest, element.depth());
    return deepest + 1;
}

int nestedDepth(const Object& members)
{
    int deepest = 0;
    for (const Value& member : members.values())
        deepest = std::max(deepest, member.depth());
    return deepest + 1;
}

} // namespace

Value::Value(Array elements)
{
    const int depth = nestedDepth(elements);
    checkNestingDepth(depth);
    payload_ = std::make_shared<Array>(std::move(elements));
    depth_ = static_cast<std::uint16_t>(depth);
}

Value::Value(Object members)
{
    const int depth = nestedDepth(members);
    checkNestingDepth(depth);
    payload_ = std::make_shared<Object>(std::move(members));
    depth_ = static_cast<std::uint16_t>(depth);
}

Value Value::object(std::initializer_list<std::pair<String, Value>> pairs)
{
    Value result{Object()};
    for (const auto& [key, member] : pairs)
        result.setMember(key, member);
    return result;
}

void Value::append(Value element)
{
    auto& storage = std::get<ArrayStorage>(payload_);
    checkNestingDepth(element.depth() + 1);
    checkArrayCount(storage->size() + 1);
    if (storage.use_count() > 1)
        storage = std::make_shared<Array>(*storage);
    storage->push_back(std::move(element));
    depth_ = static_cast<std::uint16_t>(std::max<int>(depth_, storage->back().depth() + 1));
}

void Value::setMember(const String& key, Value member)
{
    auto& storage = std::get<ObjectStorage>(payload_);
    const int depth = std::max<int>(depth_, member.depth() + 1);
    checkNestingDepth(depth);
    if (storage.use_count() > 1)
        storage = std::make_shared<Object>(*storage);
    storage->set(key, std::move(member));
    depth_ = static_cast<std::uint16_t>(depth);
}

bool Value::isTruthy() const
{
    switch (payload_.index()) {
    case 0: return asBoolean();
    case 1: return asInt() != 0;
    case 2:
        // Not-a-number is unequal to zero, so it is true.
        return asDouble() != 0;
    case 3: return !asString().empty();
    case 4: return !asArray().empty();
    case 5: return !asObject().empty();
    case 6:
    case 7: return true;
    default: return false;
    }
}

bool Value::isEquivalent(const Value& other) const
{
    if (isNumeric()) {
        if (isInt() && other.isInt())
            return asInt() == other.asInt();
        return other.isNumeric() && asNumber() == other.asNumber();
    }
    if (payload_.index() != other.payload_.index() || isFunction())
        return false;
    if (isArray()) {
        const Array& mine = asArray();
        const Array& theirs = other.asArray();
        return mine.size() == theirs.size() &&
               std::equal(mine.begin(), mine.end(), theirs.begin(),
                          [](const Value& a, const Value& b) { return a.isEquivalent(b); });
    }
    if (isObject()) {
        const Object& mine = asObject();
        const Object& theirs = other.asObject();
        if (mine.count() != theirs.count())
            return false;
        for (std::ptrdiff_t index = 0; index < mine.count(); ++index) {
            if (!(mine.keys()[index] == theirs.keys()[index]) ||
                !mine.values()[index].isEquivalent(theirs.values()[index]))
                return false;
        }
        return true;
    }
    return *this == other;
}

bool operator==(const Value& first, const Value& second)
{
    if (first.payload_.index() != second.payload_.index())
        return false;
    switch (first.payload_.index()) {
    case 0: return first.asBoolean() == second.asBoolean();
    case 1: return first.asInt() == second.asInt();
    case 2: return first.asDouble() == second.asDouble();
    case 3: return first.payload_ == second.payload_ || first.asString() == second.asString();
    case 4: return first.payload_ == second.payload_ || first.asArray() == second.asArray();
    case 5: return first.payload_ == second.payload_ || first.asObject() == second.asObject();
    case 6: return false;
    case 7: return first.asMacro() == second.asMacro();
    default: return true;
    }
}

std::int64_t seededHash(const Value& value, std::int64_t seed)
{
    using OrderedCollections::seededHash;
    switch (value.payload_.index()) {
    case 0: return seededHash(value.asBoolean() ? 1 : 0, seed ^ 1);
    case 1: return seededHash(value.asInt(), seed);
    case 2: {
        // Zero of either sign alike, since they are equal.
        const double number = value.asDouble() == 0 ? 0.0 : value.asDouble();
        std::int64_t bits;
        static_assert(sizeof bits == sizeof number);
        std::memcpy(&bits, &number, sizeof bits);
        return seededHash(bits, seed ^ 2);
    }
    case 3: return seededHash(value.asString(), seed);
    case 4: {
        OrderedCollections::Hasher hasher(seed);
        hasher.combine(value.asArray().size());
        for (const Value& element : value.asArray())
            hasher.combine(element);
        return hasher.finalize();
    }
    case 5: return seededHash(value.asObject(), seed);
    case 7: return seededHash(value.asMacro(), seed);
    default: return seededHash(0, seed);
    }
}

} // namespace Jinja
