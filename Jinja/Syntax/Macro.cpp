#include "Jinja/Syntax/Macro.h"

#include "Jinja/JinjaError.h"
#include "Jinja/Syntax/DebugText.h"
#include "Jinja/Syntax/TreeHash.h"

#include <algorithm>
#include <utility>

namespace Jinja {

namespace JSON = Platform::JSON;

rapidjson::Value Macro::toJSON(JSON::Allocator& allocator) const
{
    std::vector<std::string> parameterNames;
    for (const String& parameter : parameters)
        parameterNames.push_back(parameter.utf8());
    rapidjson::Value defaultTexts(rapidjson::kObjectType);
    for (const auto& [parameter, expression] : defaults)
        defaultTexts.AddMember(JSON::memberKey(parameter.utf8(), allocator),
                               JSON::encode(debugText(expression), allocator), allocator);
    std::vector<std::string> nodeTexts;
    for (const Node& node : body)
        nodeTexts.push_back(debugText(NodeList{node}));

    rapidjson::Value object(rapidjson::kObjectType);
    JSON::encodeMember(object, "name", name.utf8(), allocator);
    JSON::encodeMember(object, "parameters", parameterNames, allocator);
    object.AddMember("defaults", defaultTexts, allocator);
    JSON::encodeMember(object, "body", nodeTexts, allocator);
    return object;
}

namespace {

// A dump that does not read back is a decoding error at its place.
template <class Read>
auto readDump(const std::string& component, Read&& read)
{
    try {
        return read();
    } catch (const JinjaError& error) {
        throw JSON::DecodingError(error.what(), {component});
    }
}

} // namespace

Macro Macro::fromJSON(const rapidjson::Value& json)
{
    if (!json.IsObject())
        throw JSON::DecodingError("Expected an object");
    Macro macro;
    macro.name = JSON::decodeMember<std::string>(json, "name");
    for (std::string& parameter : JSON::decodeMember<std::vector<std::string>>(json, "parameters"))
        macro.parameters.emplace_back(std::move(parameter));

    const rapidjson::Value* defaultTexts = JSON::findMember(json, "defaults");
    if (!defaultTexts || !defaultTexts->IsObject())
        throw JSON::DecodingError("Expected an object", {"defaults"});
    std::vector<std::pair<String, Expression>> defaults;
    for (const auto& member : defaultTexts->GetObject()) {
        const std::string parameter(member.name.GetString(), member.name.GetStringLength());
        const std::string text = JSON::decodingAt("defaults", [&] {
            return JSON::decodingAt(parameter, [&] { return JSON::decode<std::string>(member.value); });
        });
        defaults.emplace_back(parameter, readDump("defaults", [&] { return expressionFromDebugText(text); }));
    }
    std::stable_sort(defaults.begin(), defaults.end(),
                     [](const auto& first, const auto& second) { return first.first < second.first; });
    for (auto& [parameter, expression] : defaults)
        macro.defaults.updateValue(std::move(expression), parameter);

    for (const std::string& text : JSON::decodeMember<std::vector<std::string>>(json, "body"))
        for (Node& node : readDump("body", [&] { return nodesFromDebugText(text); }))
            macro.body.push_back(std::move(node));
    return macro;
}

std::int64_t seededHash(const Macro& macro, std::int64_t seed)
{
    OrderedCollections::Hasher hasher(seed);
    hasher.combine(macro.name);
    hasher.combine(macro.parameters.size());
    for (const String& parameter : macro.parameters)
        hasher.combine(parameter);
    hasher.combine(macro.defaults);
    hasher.combine(macro.body);
    return hasher.finalize();
}

} // namespace Jinja
