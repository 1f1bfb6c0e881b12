#include "RadozodEri/Core/DecodingOptions.h"

#include "RuntimeCore/Logging/TextualForm.h"

#include <cmath>
#include <stdexcept>

namespace RadozodEri {
namespace {

constexpr float samplesPerSecond = 16000;

std::int64_t samplePosition(float seconds)
{
    if (!std::isfinite(seconds))
        throw std::invalid_argument("The clip time " + RuntimeCore::textualForm(seconds)
                                    + " is not a finite number of seconds");
    const float position = std::round(seconds * samplesPerSecond);
    // 2^63 is exact as a float; a position of that size or more does not fit.
    constexpr float limit = 9223372036854775808.0f;
    if (position >= limit || position < -limit)
        throw std::invalid_argument("The clip time " + RuntimeCore::textualForm(seconds)
                                    + " s lies beyond any sample position");
    return static_cast<std::int64_t>(position);
}

} // namespace

std::vector<SeekClip> DecodingOptions::prepareSeekClips(std::int64_t contentFrames) const
{
    std::vector<std::int64_t> positions;
    positions.reserve(clipTimestamps.size() + 1);
    for (float seconds : clipTimestamps)
        positions.push_back(samplePosition(seconds));
    if (positions.empty())
        positions.push_back(0);
    if (positions.size() % 2 == 1)
        positions.push_back(contentFrames);

    std::vector<SeekClip> clips;
    clips.reserve(positions.size() / 2);
    for (std::size_t index = 0; index < positions.size(); index += 2)
        clips.push_back({positions[index], positions[index + 1]});
    return clips;
}

rapidjson::Value DecodingOptions::toJSON(Platform::JSON::Allocator& allocator) const
{
    using namespace Platform::JSON;
    rapidjson::Value json(rapidjson::kObjectType);
    encodeMember(json, "verbose", verbose, allocator);
    encodeMember(json, "task", task, allocator);
    encodeOptionalMember(json, "language", language, allocator);
    encodeMember(json, "temperature", temperature, allocator);
    encodeMember(json, "temperatureIncrementOnFallback", temperatureIncrementOnFallback, allocator);
    encodeMember(json, "temperatureFallbackCount", temperatureFallbackCount, allocator);
    encodeMember(json, "sampleLength", sampleLength, allocator);
    encodeMember(json, "topK", topK, allocator);
    encodeMember(json, "usePrefillPrompt", usePrefillPrompt, allocator);
    encodeMember(json, "usePrefillCache", usePrefillCache, allocator);
    encodeMember(json, "detectLanguage", detectLanguage, allocator);
    encodeMember(json, "skipSpecialTokens", skipSpecialTokens, allocator);
    encodeMember(json, "withoutTimestamps", withoutTimestamps, allocator);
    encodeMember(json, "wordTimestamps", wordTimestamps, allocator);
    encodeOptionalMember(json, "maxInitialTimestamp", maxInitialTimestamp, allocator);
    encodeOptionalMember(json, "maxWindowSeek", maxWindowSeek, allocator);
    encodeMember(json, "clipTimestamps", clipTimestamps, allocator);
    encodeMember(json, "windowClipTime", windowClipTime, allocator);
    encodeOptionalMember(json, "promptTokens", promptTokens, allocator);
    encodeOptionalMember(json, "prefixTokens", prefixTokens, allocator);
    encodeMember(json, "suppressBlank", suppressBlank, allocator);
    encodeMember(json, "supressTokens", supressTokens, allocator);
    encodeOptionalMember(json, "compressionRatioThreshold", compressionRatioThreshold, allocator);
    encodeOptionalMember(json, "logProbThreshold", logProbThreshold, allocator);
    encodeOptionalMember(json, "firstTokenLogProbThreshold", firstTokenLogProbThreshold, allocator);
    encodeOptionalMember(json, "noSpeechThreshold", noSpeechThreshold, allocator);
    encodeMember(json, "concurrentWorkerCount", concurrentWorkerCount, allocator);
    encodeOptionalMember(json, "chunkingStrategy", chunkingStrategy, allocator);
    return json;
}

DecodingOptions DecodingOptions::fromJSON(const rapidjson::Value& json)
{
    using namespace Platform::JSON;
    return DecodingOptions {
        .verbose = decodeMember<bool>(json, "verbose"),
        .task = decodeMember<DecodingTask>(json, "task"),
        .language = decodeOptionalMember<std::string>(json, "language"),
        .temperature = decodeMember<float>(json, "temperature"),
        .temperatureIncrementOnFallback = decodeMember<float>(json, "temperatureIncrementOnFallback"),
        .temperatureFallbackCount = decodeMember<std::int64_t>(json, "temperatureFallbackCount"),
        .sampleLength = decodeMember<std::int64_t>(json, "sampleLength"),
        .topK = decodeMember<std::int64_t>(json, "topK"),
        .usePrefillPrompt = decodeMember<bool>(json, "usePrefillPrompt"),
        .usePrefillCache = decodeMember<bool>(json, "usePrefillCache"),
        .detectLanguage = decodeMember<bool>(json, "detectLanguage"),
        .skipSpecialTokens = decodeMember<bool>(json, "skipSpecialTokens"),
        .withoutTimestamps = decodeMember<bool>(json, "withoutTimestamps"),
        .wordTimestamps = decodeMember<bool>(json, "wordTimestamps"),
        .maxInitialTimestamp = decodeOptionalMember<float>(json, "maxInitialTimestamp"),
        .maxWindowSeek = decodeOptionalMember<std::int64_t>(json, "maxWindowSeek"),
        .clipTimestamps = decodeMember<std::vector<float>>(json, "clipTimestamps"),
        .windowClipTime = decodeMember<float>(json, "windowClipTime"),
        .promptTokens = decodeOptionalMember<std::vector<int>>(json, "promptTokens"),
        .prefixTokens = decodeOptionalMember<std::vector<int>>(json, "prefixTokens"),
        .suppressBlank = decodeMember<bool>(json, "suppressBlank"),
        .supressTokens = decodeMember<std::vector<int>>(json, "supressTokens"),
        .compressionRatioThreshold = decodeOptionalMember<float>(json, "compressionRatioThreshold"),
        .logProbThreshold = decodeOptionalMember<float>(json, "logProbThreshold"),
        .firstTokenLogProbThreshold = decodeOptionalMember<float>(json, "firstTokenLogProbThreshold"),
        .noSpeechThreshold = decodeOptionalMember<float>(json, "noSpeechThreshold"),
        .concurrentWorkerCount = decodeMember<std::int64_t>(json, "concurrentWorkerCount"),
        .chunkingStrategy = decodeOptionalMember<ChunkingStrategy>(json, "chunkingStrategy"),
    };
}

} // namespace RadozodEri
