#include "RadozodEri/Core/Audio/AudioInputConfig.h"

namespace RadozodEri {

rapidjson::Value AudioInputConfig::toJSON(Platform::JSON::Allocator& allocator) const
{
    rapidjson::Value object(rapidjson::kObjectType);
    Platform::JSON::encodeMember(object, "channelMode", channelMode, allocator);
    return object;
}

AudioInputConfig AudioInputConfig::fromJSON(const rapidjson::Value& json)
{
    if (!json.IsObject())
        throw Platform::JSON::DecodingError("Expected an object");
    return {Platform::JSON::decodeMember<ChannelMode>(json, "channelMode")};
}

} // namespace RadozodEri

namespace Platform::JSON {

using ChannelMode = RadozodEri::AudioInputConfig::ChannelMode;

namespace {

constexpr std::string_view specificChannelKey = "specificChannel";
constexpr std::string_view sumChannelsKey = "sumChannels";

} // namespace

rapidjson::Value Coding<ChannelMode>::encode(const ChannelMode& mode, Allocator& allocator)
{
    rapidjson::Value payload(rapidjson::kObjectType);
    std::string_view key;
    if (const auto* specific = std::get_if<ChannelMode::SpecificChannel>(&mode.value)) {
        key = specificChannelKey;
        encodeMember(payload, "_0", specific->channel, allocator);
    } else {
        key = sumChannelsKey;
        encodeOptionalMember(payload, "_0", std::get<ChannelMode::SumChannels>(mode.value).channels, allocator);
    }
    rapidjson::Value object(rapidjson::kObjectType);
    object.AddMember(memberKey(key, allocator), payload, allocator);
    return object;
}

ChannelMode Coding<ChannelMode>::decode(const rapidjson::Value& json)
{
    if (!json.IsObject())
        throw DecodingError("Expected an object");
    if (json.MemberCount() != 1)
        throw DecodingError("Invalid number of keys found, expected one.");
    const auto& member = *json.MemberBegin();
    const std::string_view key(member.name.GetString(), member.name.GetStringLength());
    const rapidjson::Value& payload = member.value;
    if (!payload.IsObject())
        throw DecodingError("Expected an object", {std::string(key)});
    if (key == specificChannelKey)
        return decodingAt(key, [&] { return ChannelMode::specificChannel(decodeMember<int>(payload, "_0")); });
    if (key == sumChannelsKey)
        return decodingAt(
            key, [&] { return ChannelMode::sumChannels(decodeOptionalMember<std::vector<int>>(payload, "_0")); });
    throw DecodingError("Cannot make a channel mode of \"" + std::string(key) + "\"");
}

} // namespace Platform::JSON
