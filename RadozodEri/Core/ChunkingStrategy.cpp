#include "RadozodEri/Core/ChunkingStrategy.h"

namespace Platform::JSON {

using RadozodEri::ChunkingStrategy;

rapidjson::Value Coding<ChunkingStrategy>::encode(ChunkingStrategy strategy, Allocator& allocator)
{
    return JSON::encode(std::string(RadozodEri::rawValue(strategy)), allocator);
}

ChunkingStrategy Coding<ChunkingStrategy>::decode(const rapidjson::Value& json)
{
    const std::string text = JSON::decode<std::string>(json);
    if (auto strategy = RadozodEri::chunkingStrategy(text))
        return *strategy;
    throw DecodingError("Cannot make a chunking strategy of \"" + text + "\"");
}

} // namespace Platform::JSON
