#include "RadozodEri/Core/TranscriptionTimings.h"

#include <array>
#include <string_view>
#include <utility>

namespace RadozodEri {
namespace {

using Field = std::pair<std::string_view, double TranscriptionTimings::*>;

constexpr std::array<Field, 34> fields {{
    {"pipelineStart", &TranscriptionTimings::pipelineStart},
    {"firstTokenTime", &TranscriptionTimings::firstTokenTime},
    {"inputAudioSeconds", &TranscriptionTimings::inputAudioSeconds},
    {"modelLoading", &TranscriptionTimings::modelLoading},
    {"prewarmLoadTime", &TranscriptionTimings::prewarmLoadTime},
    {"encoderLoadTime", &TranscriptionTimings::encoderLoadTime},
    {"decoderLoadTime", &TranscriptionTimings::decoderLoadTime},
    {"encoderSpecializationTime", &TranscriptionTimings::encoderSpecializationTime},
    {"decoderSpecializationTime", &TranscriptionTimings::decoderSpecializationTime},
    {"tokenizerLoadTime", &TranscriptionTimings::tokenizerLoadTime},
    {"audioLoading", &TranscriptionTimings::audioLoading},
    {"audioProcessing", &TranscriptionTimings::audioProcessing},
    {"logmels", &TranscriptionTimings::logmels},
    {"encoding", &TranscriptionTimings::encoding},
    {"prefill", &TranscriptionTimings::prefill},
    {"decodingInit", &TranscriptionTimings::decodingInit},
    {"decodingLoop", &TranscriptionTimings::decodingLoop},
    {"decodingPredictions", &TranscriptionTimings::decodingPredictions},
    {"decodingFiltering", &TranscriptionTimings::decodingFiltering},
    {"decodingSampling", &TranscriptionTimings::decodingSampling},
    {"decodingFallback", &TranscriptionTimings::decodingFallback},
    {"decodingWindowing", &TranscriptionTimings::decodingWindowing},
    {"decodingKvCaching", &TranscriptionTimings::decodingKvCaching},
    {"decodingWordTimestamps", &TranscriptionTimings::decodingWordTimestamps},
    {"decodingNonPrediction", &TranscriptionTimings::decodingNonPrediction},
    {"totalAudioProcessingRuns", &TranscriptionTimings::totalAudioProcessingRuns},
    {"totalLogmelRuns", &TranscriptionTimings::totalLogmelRuns},
    {"totalEncodingRuns", &TranscriptionTimings::totalEncodingRuns},
    {"totalDecodingLoops", &TranscriptionTimings::totalDecodingLoops},
    {"totalKVUpdateRuns", &TranscriptionTimings::totalKVUpdateRuns},
    {"totalTimestampAlignmentRuns", &TranscriptionTimings::totalTimestampAlignmentRuns},
    {"totalDecodingFallbacks", &TranscriptionTimings::totalDecodingFallbacks},
    {"totalDecodingWindows", &TranscriptionTimings::totalDecodingWindows},
    {"fullPipeline", &TranscriptionTimings::fullPipeline},
}};

} // namespace

rapidjson::Value TranscriptionTimings::toJSON(Platform::JSON::Allocator& allocator) const
{
    rapidjson::Value json(rapidjson::kObjectType);
    for (const auto& [key, field] : fields)
        Platform::JSON::encodeMember(json, key, this->*field, allocator);
    return json;
}

TranscriptionTimings TranscriptionTimings::fromJSON(const rapidjson::Value& json)
{
    TranscriptionTimings timings;
    for (const auto& [key, field] : fields)
        timings.*field = Platform::JSON::decodeMember<double>(json, key);
    return timings;
}

} // namespace RadozodEri
