#pragma once

#include "Platform/JSON/JSONCoding.h"
#include "RadozodEri/Core/ChunkingStrategy.h"
#include "RadozodEri/Core/DecodingTask.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace RadozodEri {

// One range of audio to decode, in samples.
struct SeekClip {
    std::int64_t start = 0;
    std::int64_t end = 0;
    bool operator==(const SeekClip&) const = default;
};

// The settings of one transcription. Every field left out of a designated
// initialiser takes its default; `detectLanguage` defaults to the opposite of
// `usePrefillPrompt`, whatever that was given.
struct DecodingOptions {
    bool verbose = false;
    DecodingTask task = DecodingTask::transcribe;
    // Absent: the prompt names English unless the language is detected.
    std::optional<std::string> language {};
    float temperature = 0.0f;
    float temperatureIncrementOnFallback = 0.2f;
    // Retries after the first attempt.
    std::int64_t temperatureFallbackCount = 5;
    std::int64_t sampleLength = 224;
    std::int64_t topK = 5;
    bool usePrefillPrompt = true;
    bool usePrefillCache = true;
    bool detectLanguage = !usePrefillPrompt;
    bool skipSpecialTokens = false;
    bool withoutTimestamps = false;
    bool wordTimestamps = false;
    // Seconds.
    std::optional<float> maxInitialTimestamp {};
    // A sample position.
    std::optional<std::int64_t> maxWindowSeek {};
    // Seconds, taken in pairs; an odd last one runs to the end.
    std::vector<float> clipTimestamps {};
    float windowClipTime = 1.0f;
    std::optional<std::vector<int>> promptTokens {};
    std::optional<std::vector<int>> prefixTokens {};
    bool suppressBlank = false;
    // Spelled with one "p", as stored options spell the key.
    std::vector<int> supressTokens {};
    // An absent threshold switches its fallback test off.
    std::optional<float> compressionRatioThreshold = 2.4f;
    std::optional<float> logProbThreshold = -1.0f;
    std::optional<float> firstTokenLogProbThreshold = -1.5f;
    std::optional<float> noSpeechThreshold = 0.6f;
    // Most audio arrays a batch decodes at once; 0 puts all into one batch.
    std::int64_t concurrentWorkerCount = 16;
    std::optional<ChunkingStrategy> chunkingStrategy {};

    // The sample ranges to decode for audio of `contentFrames` samples: the
    // clip times become sample positions (rounded, halves away from zero) in
    // their given order, an odd count gets `contentFrames` appended, and the
    // positions pair up in order; no clip times decode everything. Throws
    // std::invalid_argument for a clip time that is not finite or whose
    // sample position does not fit a 64-bit integer.
    std::vector<SeekClip> prepareSeekClips(std::int64_t contentFrames) const;

    // Every key is required except those of the optional fields; no default
    // fills a missing key.
    rapidjson::Value toJSON(Platform::JSON::Allocator& allocator) const;
    static DecodingOptions fromJSON(const rapidjson::Value& json);

    bool operator==(const DecodingOptions&) const = default;
};

} // namespace RadozodEri
