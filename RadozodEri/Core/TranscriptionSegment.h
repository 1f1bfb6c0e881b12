#pragma once

#include "Platform/JSON/JSONCoding.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace RadozodEri {

// One word of a segment with its time span in seconds.
struct WordTiming {
    std::string word {};
    std::vector<int> tokens {};
    float start = 0;
    float end = 0;
    float probability = 0;

    float duration() const { return end - start; }

    rapidjson::Value toJSON(Platform::JSON::Allocator& allocator) const;
    static WordTiming fromJSON(const rapidjson::Value& json);

    bool operator==(const WordTiming&) const = default;
};

// A timed piece of a transcript, as one decoding window produced it.
struct TranscriptionSegment {
    std::int64_t id = 0;
    // Sample offset of the window that produced the segment.
    std::int64_t seek = 0;
    float start = 0;
    float end = 0;
    std::string text {};
    std::vector<int> tokens {};
    // Per token, its id mapped to its log probability.
    std::vector<std::map<int, float>> tokenLogProbs {};
    float temperature = 0;
    float avgLogprob = 0;
    float compressionRatio = 0;
    float noSpeechProb = 0;
    // Present only when word timestamps were computed.
    std::optional<std::vector<WordTiming>> words {};

    float duration() const { return end - start; }

    rapidjson::Value toJSON(Platform::JSON::Allocator& allocator) const;
    static TranscriptionSegment fromJSON(const rapidjson::Value& json);

    bool operator==(const TranscriptionSegment&) const = default;
};

} // namespace RadozodEri

template <>
struct std::hash<RadozodEri::WordTiming> {
    std::size_t operator()(const RadozodEri::WordTiming& word) const;
};

template <>
struct std::hash<RadozodEri::TranscriptionSegment> {
    std::size_t operator()(const RadozodEri::TranscriptionSegment& segment) const;
};
