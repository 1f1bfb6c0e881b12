#include "RadozodEri/Core/TranscriptionResult.h"

#include "Platform/Text/Format.h"
#include "RadozodEri/Core/TimingsReport.h"
#include "RuntimeCore/Logging/Logging.h"

namespace RadozodEri {

using namespace Platform::JSON;

TranscriptionResult::TranscriptionResult(std::string text, std::vector<TranscriptionSegment> segments,
                                         std::string language, TranscriptionTimings timings,
                                         std::optional<float> seekTime)
    : text_(std::move(text)), segments_(std::move(segments)), language_(std::move(language)),
      timings_(std::move(timings)), seekTime_(seekTime)
{
}

std::vector<WordTiming> TranscriptionResult::allWords() const
{
    std::vector<WordTiming> words;
    for (const TranscriptionSegment& segment : segments())
        if (segment.words)
            words.insert(words.end(), segment.words->begin(), segment.words->end());
    return words;
}

void TranscriptionResult::logSegments() const
{
    const std::vector<TranscriptionSegment> all = segments();
    for (std::size_t index = 0; index < all.size(); ++index) {
        const TranscriptionSegment& segment = all[index];
        RuntimeCore::Logging::debug(Platform::formatted("[Segment %zu] [%.2f --> %.2f] ", index,
                                                        static_cast<double>(segment.start),
                                                        static_cast<double>(segment.end))
                                    + segment.text);
    }
}

void TranscriptionResult::logTimings() const
{
    RuntimeCore::Logging::info(timingsReport(timings(), segments()));
}

rapidjson::Value TranscriptionResult::toJSON(Allocator& allocator) const
{
    rapidjson::Value json(rapidjson::kObjectType);
    encodeMember(json, "text", text_, allocator);
    encodeMember(json, "segments", segments_, allocator);
    encodeMember(json, "language", language_, allocator);
    encodeMember(json, "timings", timings_, allocator);
    encodeMember(json, "seekTime", seekTime_, allocator);
    return json;
}

TranscriptionResult TranscriptionResult::fromJSON(const rapidjson::Value& json)
{
    return TranscriptionResult(decodeMember<std::string>(json, "text"),
                               decodeMember<std::vector<TranscriptionSegment>>(json, "segments"),
                               decodeMember<std::string>(json, "language"),
                               decodeMember<TranscriptionTimings>(json, "timings"),
                               decodeMember<std::optional<float>>(json, "seekTime"));
}

rapidjson::Value TranscriptionResultStruct::toJSON(Allocator& allocator) const
{
    rapidjson::Value json(rapidjson::kObjectType);
    encodeMember(json, "text", text, allocator);
    encodeMember(json, "segments", segments, allocator);
    encodeMember(json, "language", language, allocator);
    encodeMember(json, "timings", timings, allocator);
    encodeOptionalMember(json, "seekTime", seekTime, allocator);
    return json;
}

TranscriptionResultStruct TranscriptionResultStruct::fromJSON(const rapidjson::Value& json)
{
    return TranscriptionResultStruct {
        .text = decodeMember<std::string>(json, "text"),
        .segments = decodeMember<std::vector<TranscriptionSegment>>(json, "segments"),
        .language = decodeMember<std::string>(json, "language"),
        .timings = decodeMember<TranscriptionTimings>(json, "timings"),
        .seekTime = decodeOptionalMember<float>(json, "seekTime"),
    };
}

} // namespace RadozodEri
