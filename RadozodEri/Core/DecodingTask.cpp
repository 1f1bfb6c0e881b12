#include "RadozodEri/Core/DecodingTask.h"

namespace Platform::JSON {

using RadozodEri::DecodingTask;

rapidjson::Value Coding<DecodingTask>::encode(DecodingTask task, Allocator& allocator)
{
    rapidjson::Value object(rapidjson::kObjectType);
    object.AddMember(memberKey(RadozodEri::description(task), allocator), rapidjson::Value(rapidjson::kObjectType),
                     allocator);
    return object;
}

DecodingTask Coding<DecodingTask>::decode(const rapidjson::Value& json)
{
    if (!json.IsObject())
        throw DecodingError("Expected an object");
    // Keys that name no case are ignored; exactly one must name one.
    std::optional<DecodingTask> found;
    const rapidjson::Value* payload = nullptr;
    int recognised = 0;
    for (const auto& member : json.GetObject()) {
        const std::string_view key(member.name.GetString(), member.name.GetStringLength());
        if (auto task = RadozodEri::decodingTaskNames.value(key)) {
            found = task;
            payload = &member.value;
            ++recognised;
        }
    }
    if (recognised != 1)
        throw DecodingError("Invalid number of keys found, expected one.");
    if (!payload->IsObject())
        throw DecodingError("Expected an object", {std::string(RadozodEri::description(*found))});
    return *found;
}

} // namespace Platform::JSON
