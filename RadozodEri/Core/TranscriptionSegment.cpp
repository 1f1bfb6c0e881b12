#include "RadozodEri/Core/TranscriptionSegment.h"

#include "Platform/HashCombine.h"

namespace RadozodEri {

using namespace Platform::JSON;

rapidjson::Value WordTiming::toJSON(Allocator& allocator) const
{
    rapidjson::Value json(rapidjson::kObjectType);
    encodeMember(json, "word", word, allocator);
    encodeMember(json, "tokens", tokens, allocator);
    encodeMember(json, "start", start, allocator);
    encodeMember(json, "end", end, allocator);
    encodeMember(json, "probability", probability, allocator);
    return json;
}

WordTiming WordTiming::fromJSON(const rapidjson::Value& json)
{
    return WordTiming {
        .word = decodeMember<std::string>(json, "word"),
        .tokens = decodeMember<std::vector<int>>(json, "tokens"),
        .start = decodeMember<float>(json, "start"),
        .end = decodeMember<float>(json, "end"),
        .probability = decodeMember<float>(json, "probability"),
    };
}

rapidjson::Value TranscriptionSegment::toJSON(Allocator& allocator) const
{
    rapidjson::Value json(rapidjson::kObjectType);
    encodeMember(json, "id", id, allocator);
    encodeMember(json, "seek", seek, allocator);
    encodeMember(json, "start", start, allocator);
    encodeMember(json, "end", end, allocator);
    encodeMember(json, "text", text, allocator);
    encodeMember(json, "tokens", tokens, allocator);
    encodeMember(json, "tokenLogProbs", tokenLogProbs, allocator);
    encodeMember(json, "temperature", temperature, allocator);
    encodeMember(json, "avgLogprob", avgLogprob, allocator);
    encodeMember(json, "compressionRatio", compressionRatio, allocator);
    encodeMember(json, "noSpeechProb", noSpeechProb, allocator);
    encodeOptionalMember(json, "words", words, allocator);
    return json;
}

TranscriptionSegment TranscriptionSegment::fromJSON(const rapidjson::Value& json)
{
    return TranscriptionSegment {
        .id = decodeMember<std::int64_t>(json, "id"),
        .seek = decodeMember<std::int64_t>(json, "seek"),
        .start = decodeMember<float>(json, "start"),
        .end = decodeMember<float>(json, "end"),
        .text = decodeMember<std::string>(json, "text"),
        .tokens = decodeMember<std::vector<int>>(json, "tokens"),
        .tokenLogProbs = decodeMember<std::vector<std::map<int, float>>>(json, "tokenLogProbs"),
        .temperature = decodeMember<float>(json, "temperature"),
        .avgLogprob = decodeMember<float>(json, "avgLogprob"),
        .compressionRatio = decodeMember<float>(json, "compressionRatio"),
        .noSpeechProb = decodeMember<float>(json, "noSpeechProb"),
        .words = decodeOptionalMember<std::vector<WordTiming>>(json, "words"),
    };
}

} // namespace RadozodEri

namespace {

// Equal numbers hash alike: +0 and -0 compare equal, so both hash as +0.
void combineNumber(std::size_t& seed, float number) { Platform::hashCombine(seed, number + 0.0f); }

template <class T>
void combineAll(std::size_t& seed, const std::vector<T>& values)
{
    Platform::hashCombine(seed, values.size());
    for (const T& value : values)
        Platform::hashCombine(seed, value);
}

} // namespace

std::size_t std::hash<RadozodEri::WordTiming>::operator()(const RadozodEri::WordTiming& word) const
{
    std::size_t seed = 0;
    Platform::hashCombine(seed, word.word);
    combineAll(seed, word.tokens);
    combineNumber(seed, word.start);
    combineNumber(seed, word.end);
    combineNumber(seed, word.probability);
    return seed;
}

std::size_t std::hash<RadozodEri::TranscriptionSegment>::operator()(const RadozodEri::TranscriptionSegment& segment) const
{
    std::size_t seed = 0;
    Platform::hashCombine(seed, segment.id);
    Platform::hashCombine(seed, segment.seek);
    combineNumber(seed, segment.start);
    combineNumber(seed, segment.end);
    Platform::hashCombine(seed, segment.text);
    combineAll(seed, segment.tokens);
    Platform::hashCombine(seed, segment.tokenLogProbs.size());
    for (const auto& probabilities : segment.tokenLogProbs) {
        Platform::hashCombine(seed, probabilities.size());
        for (const auto& [token, logProbability] : probabilities) {
            Platform::hashCombine(seed, token);
            combineNumber(seed, logProbability);
        }
    }
    combineNumber(seed, segment.temperature);
    combineNumber(seed, segment.avgLogprob);
    combineNumber(seed, segment.compressionRatio);
    combineNumber(seed, segment.noSpeechProb);
    Platform::hashCombine(seed, segment.words.has_value());
    if (segment.words)
        combineAll(seed, *segment.words);
    return seed;
}
