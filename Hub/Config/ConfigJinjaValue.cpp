#include "Hub/Config/Config.h"
#include "Jinja/Runtime/Value.h"
#include "Platform/JSON/JSONCoding.h"

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

namespace Hub {

namespace {

// As a JSON file would hold the float, so that 0.1f reaches a template as 0.1
// and not as 0.10000000149011612.
double widenedAsWritten(float value)
{
    Platform::JSON::Allocator unused;
    return Platform::JSON::encode(value, unused).GetDouble();
}

// The file's order of keys is gone by now, so a fixed one stands in: their
// code units, ascending. Template texts call canonically equivalent keys
// equal, so such keys meet in one member.
Jinja::Value objectOf(const Config::Dictionary& dictionary)
{
    std::vector<std::pair<const BinaryDistinctString*, const Config*>> entries;
    entries.reserve(dictionary.size());
    for (const auto& [key, value] : dictionary)
        entries.emplace_back(&key, &value);
    std::ranges::sort(entries, [](const auto& first, const auto& second) { return *first.first < *second.first; });
    Jinja::Object object;
    for (const auto& [key, value] : entries)
        object.set(Jinja::String(key->string()), value->jinjaValue());
    return Jinja::Value(std::move(object));
}

} // namespace

Jinja::Value Config::jinjaValue() const
{
    return std::visit(
        [](const auto& payload) -> Jinja::Value {
            using Payload = std::decay_t<decltype(payload)>;
            if constexpr (std::same_as<Payload, BinaryDistinctString>)
                return Jinja::Value(payload.string());
            else if constexpr (std::same_as<Payload, std::int64_t> || std::same_as<Payload, bool>)
                return Jinja::Value(payload);
            else if constexpr (std::same_as<Payload, float>)
                return Jinja::Value(widenedAsWritten(payload));
            else if constexpr (std::same_as<Payload, std::shared_ptr<const Dictionary>>)
                return objectOf(*payload);
            else if constexpr (std::same_as<Payload, std::shared_ptr<const Array>>) {
                Jinja::Array elements;
                elements.reserve(payload->size());
                for (const Config& element : *payload)
                    elements.push_back(element.jinjaValue());
                return Jinja::Value(std::move(elements));
            } else if constexpr (std::same_as<Payload, Token>)
                return Jinja::Value::object(
                    {{Jinja::String(std::to_string(payload.first)), Jinja::Value(payload.second.string())}});
            else
                return Jinja::Value::null();
        },
        value_.storage());
}

} // namespace Hub
