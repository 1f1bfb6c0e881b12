#pragma once

#include "Platform/EnumNames.h"
#include "Platform/JSON/JSONCoding.h"

#include <optional>
#include <string_view>

namespace RadozodEri {

// Whether audio longer than one window is cut at silences before decoding.
enum class ChunkingStrategy { none, vad };

inline constexpr Platform::EnumNames<ChunkingStrategy, 2> chunkingStrategyNames {{{
    {ChunkingStrategy::none, "none"},
    {ChunkingStrategy::vad, "vad"},
}}};

constexpr std::string_view rawValue(ChunkingStrategy strategy) { return chunkingStrategyNames.name(strategy); }

// Exactly "none" or "vad"; nothing for any other text.
constexpr std::optional<ChunkingStrategy> chunkingStrategy(std::string_view rawValue)
{
    return chunkingStrategyNames.value(rawValue);
}

} // namespace RadozodEri

// Coded as its text value.
template <>
struct Platform::JSON::Coding<RadozodEri::ChunkingStrategy> {
    static rapidjson::Value encode(RadozodEri::ChunkingStrategy strategy, Allocator& allocator);
    static RadozodEri::ChunkingStrategy decode(const rapidjson::Value& json);
};
