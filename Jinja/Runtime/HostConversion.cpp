#include "Jinja/JinjaError.h"
#include "Jinja/Runtime/Limits.h"
#include "Jinja/Runtime/Value.h"

#include <algorithm>
#include <map>
#include <unordered_map>

namespace Jinja {

namespace {

using HostList = std::vector<std::any>;
using HostMap = std::map<std::string, std::any>;
using HostHashMap = std::unordered_map<std::string, std::any>;

Value converted(const std::any& host, int depth);

// Keys in ascending order of the language's strings, whatever the map's own order.
template <class Map>
Value convertedMap(const Map& map, int depth)
{
    std::vector<std::pair<String, const std::any*>> entries;
    entries.reserve(map.size());
    for (const auto& [key, value] : map)
        entries.emplace_back(String(key), &value);
    std::stable_sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    Object object;
    for (const auto& [key, value] : entries)
        object.set(key, converted(*value, depth + 1));
    return Value(std::move(object));
}

Value converted(const std::any& host, int depth)
{
    if (!host.has_value())
        return Value::null();
    if (const auto* value = std::any_cast<Value>(&host))
        return *value;
    if (const auto* text = std::any_cast<std::string>(&host))
        return Value(*text);
    if (const auto* number = std::any_cast<long>(&host))
        return Value(*number);
    if (const auto* number = std::any_cast<long long>(&host))
        return Value(*number);
    if (const auto* number = std::any_cast<double>(&host))
        return Value(*number);
    if (const auto* number = std::any_cast<float>(&host))
        return Value(static_cast<double>(*number));
    if (const auto* flag = std::any_cast<bool>(&host))
        return Value(*flag);
    if (const auto* macro = std::any_cast<Macro>(&host))
        return Value(*macro);
    const bool container =
        host.type() == typeid(HostList) || host.type() == typeid(HostMap) || host.type() == typeid(HostHashMap);
    if (container)
        checkNestingDepth(depth + 1);
    if (const auto* list = std::any_cast<HostList>(&host)) {
        checkArrayCount(list->size());
        Array elements;
        elements.reserve(list->size());
        for (const std::any& element : *list)
            elements.push_back(converted(element, depth + 1));
        return Value(std::move(elements));
    }
    if (const auto* map = std::any_cast<HostMap>(&host))
        return convertedMap(*map, depth);
    if (const auto* map = std::any_cast<HostHashMap>(&host))
        return convertedMap(*map, depth);
    throw JinjaError(JinjaError::Kind::runtime, "Cannot convert value of type Optional<Any> to Jinja Value");
}

} // namespace

Value Value::fromAny(const std::any& host)
{
    return converted(host, 0);
}

} // namespace Jinja
