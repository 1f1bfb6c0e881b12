#pragma once

#include "Platform/JSON/JSONCoding.h"

#include <limits>

namespace RadozodEri {

// Where the time of one transcription went. Times are seconds; the total…
// fields are counts. A default record has its two absolute times at the
// largest finite double and one thousandth of a second of input, so the
// derived values never divide by zero in the input length.
struct TranscriptionTimings {
    double pipelineStart = std::numeric_limits<double>::max();
    double firstTokenTime = std::numeric_limits<double>::max();
    double inputAudioSeconds = 0.001;
    double modelLoading = 0;
    double prewarmLoadTime = 0;
    double encoderLoadTime = 0;
    double decoderLoadTime = 0;
    double encoderSpecializationTime = 0;
    double decoderSpecializationTime = 0;
    double tokenizerLoadTime = 0;
    double audioLoading = 0;
    double audioProcessing = 0;
    double logmels = 0;
    double encoding = 0;
    double prefill = 0;
    double decodingInit = 0;
    double decodingLoop = 0;
    double decodingPredictions = 0;
    double decodingFiltering = 0;
    double decodingSampling = 0;
    double decodingFallback = 0;
    // Includes the word-timestamp time, which the report takes out.
    double decodingWindowing = 0;
    double decodingKvCaching = 0;
    double decodingWordTimestamps = 0;
    double decodingNonPrediction = 0;
    double totalAudioProcessingRuns = 0;
    double totalLogmelRuns = 0;
    double totalEncodingRuns = 0;
    double totalDecodingLoops = 0;
    double totalKVUpdateRuns = 0;
    double totalTimestampAlignmentRuns = 0;
    double totalDecodingFallbacks = 0;
    double totalDecodingWindows = 0;
    double fullPipeline = 0;

    // Plain IEEE divisions: 0 / 0 is NaN and x / 0 infinite.
    double tokensPerSecond() const { return totalDecodingLoops / fullPipeline; }
    double realTimeFactor() const { return fullPipeline / inputAudioSeconds; }
    double speedFactor() const { return inputAudioSeconds / fullPipeline; }

    // All 34 keys are written and required.
    rapidjson::Value toJSON(Platform::JSON::Allocator& allocator) const;
    static TranscriptionTimings fromJSON(const rapidjson::Value& json);

    bool operator==(const TranscriptionTimings&) const = default;
};

} // namespace RadozodEri
