#include "RadozodEri/Core/TimingsReport.h"

#include "Platform/Text/Format.h"
#include "RuntimeCore/Logging/Logging.h"
#include "RuntimeCore/Logging/TextualForm.h"

#include <algorithm>
#include <cstdint>

namespace RadozodEri {
namespace {

constexpr std::size_t stageLabelWidth = 21;
constexpr std::size_t summaryLabelWidth = 31;

std::string padded(std::string label, std::size_t width)
{
    if (label.size() < width)
        label.append(width - label.size(), ' ');
    return label;
}

} // namespace

std::string timingsReport(const TranscriptionTimings& t, const std::vector<TranscriptionSegment>& segments)
{
    const double totalMilliseconds = std::max(t.decodingLoop, t.fullPipeline) * 1000;
    std::string report = "---- Transcription Timings ----";
    auto stage = [&](const char* label, double time, double runs) {
        report += "\n" + padded(label, stageLabelWidth)
            + RuntimeCore::Logging::formatTimeWithPercentage(time, runs, totalMilliseconds);
    };
    auto summary = [&](const char* label, const std::string& value, const char* unit = "") {
        report += "\n" + padded(label, summaryLabelWidth) + value + unit;
    };
    auto twoDecimals = [](double value) { return Platform::formatted("%.2f", value); };

    stage("Audio Load:", t.audioLoading, 1);
    stage("Audio Processing:", t.audioProcessing, t.totalAudioProcessingRuns);
    stage("Mels:", t.logmels, t.totalLogmelRuns);
    stage("Encoding:", t.encoding, t.totalEncodingRuns);
    stage("Matrices Init:", t.decodingInit, 1);
    stage("Prefill:", t.prefill, 1);
    stage("Decoding:", t.decodingPredictions, t.totalDecodingLoops);
    stage("Non-inference:", t.decodingNonPrediction, t.totalDecodingLoops);
    stage("- Logit Filtering:", t.decodingFiltering, t.totalDecodingLoops);
    stage("- Sampling:", t.decodingSampling, t.totalDecodingLoops);
    stage("- Kv Caching:", t.decodingKvCaching, t.totalKVUpdateRuns);
    stage("- Word Timestamps:", t.decodingWordTimestamps, t.totalTimestampAlignmentRuns);
    stage("- Windowing:", t.decodingWindowing - t.decodingWordTimestamps, t.totalDecodingWindows);
    stage("Fallbacks:", t.decodingFallback, t.totalDecodingFallbacks);
    stage("Decoding Full Loop:", t.decodingLoop, t.totalDecodingLoops);
    report += "\n-------------------------------";

    std::int64_t totalTokens = 0;
    for (const TranscriptionSegment& segment : segments)
        totalTokens += static_cast<std::int64_t>(segment.tokens.size());
    const double realTimeFactor = t.fullPipeline / t.inputAudioSeconds;

    summary("Model Load Time:", twoDecimals(t.modelLoading), " seconds");
    summary("- Prewarm:", twoDecimals(t.prewarmLoadTime), " seconds");
    summary("- Encoder:", twoDecimals(t.encoderLoadTime), " seconds");
    summary("- Decoder:", twoDecimals(t.decoderLoadTime), " seconds");
    summary("- Tokenizer:", twoDecimals(t.tokenizerLoadTime), " seconds");
    summary("Inference Duration (Global):", twoDecimals(t.fullPipeline), " seconds");
    summary("- Decoding Loop (Avg/window):", twoDecimals(t.decodingLoop / t.totalAudioProcessingRuns), " seconds");
    summary("- Audio Windows:", twoDecimals(t.totalAudioProcessingRuns));
    summary("Time to first token:", twoDecimals(t.firstTokenTime - t.pipelineStart), " seconds");
    summary("Total Tokens:", std::to_string(totalTokens));
    summary("Tokens per Second:", twoDecimals(t.totalDecodingLoops / t.fullPipeline), " tok/s");
    summary("Real Time Factor:", Platform::formatted("%.3f", realTimeFactor));
    summary("Speed Factor:", Platform::formatted("%.3f", 1 / realTimeFactor));
    summary("Fallbacks:", RuntimeCore::textualForm(t.totalDecodingFallbacks));
    return report;
}

} // namespace RadozodEri
