// Decoding one window at rising temperatures until its result needs no retry.

#include "RadozodEri/Core/Text/GreedyTokenSampler.h"
#include "RadozodEri/Core/TranscribeTask.h"
#include "RadozodEri/Core/TranscribeTaskSupport.h"
#include "RadozodEri/Utilities/WhisperError.h"
#include "RuntimeCore/Logging/Logging.h"

#include <algorithm>

namespace RadozodEri {

namespace {

using Logging = RuntimeCore::Logging;
using Platform::CoreML::Float16;

// Temperatures are half-precision numbers, as the sampler keeps them: each
// step is the increment times its index, rounded, plus the base, rounded.
std::vector<Float16> temperatureLadder(const DecodingOptions& options)
{
    const float base = static_cast<float>(Float16(options.temperature));
    const float increment = static_cast<float>(Float16(options.temperatureIncrementOnFallback));
    std::vector<Float16> ladder;
    for (std::int64_t i = 0; i <= options.temperatureFallbackCount; ++i)
        ladder.emplace_back(static_cast<float>(Float16(static_cast<float>(i) * increment)) + base);
    return ladder;
}

std::string ladderText(const std::vector<Float16>& ladder)
{
    std::string text = "[";
    for (std::size_t i = 0; i < ladder.size(); ++i)
        text += (i > 0 ? ", " : "") + RuntimeCore::textualForm(static_cast<float>(ladder[i]));
    return text + "]";
}

void mergeDecodingTimings(TranscriptionTimings& timings, const TranscriptionTimings& window)
{
    timings.firstTokenTime = std::min(timings.firstTokenTime, window.firstTokenTime);
    timings.decodingNonPrediction += window.decodingNonPrediction;
    timings.decodingPredictions += window.decodingPredictions;
    timings.decodingFiltering += window.decodingFiltering;
    timings.decodingSampling += window.decodingSampling;
    timings.decodingKvCaching += window.decodingKvCaching;
    timings.totalDecodingLoops += window.totalDecodingLoops;
    timings.totalKVUpdateRuns += window.totalKVUpdateRuns;
}

} // namespace

DecodingResult TranscribeTask::decodeWithFallback(const AudioEncoderOutputType& encoderSegment,
                                                  const DecodingOptions& decodingOptions,
                                                  const ProgressCallback& callback, RunState& state)
{
    const TranscribeTaskSupport::SignpostScope signpost("Decode");
    const std::vector<Float16> ladder = temperatureLadder(decodingOptions);
    Logging::debug("Decoding with temperatures " + ladderText(ladder));

    std::optional<DecodingResult> latest;
    for (std::size_t i = 0; i < ladder.size(); ++i) {
        const Float16 temperature = ladder[i];
        Logging::info("Decoding Temperature: " + RuntimeCore::textualForm(static_cast<float>(temperature)));
        const Platform::Date attemptStart = Platform::Date::now();
        GreedyTokenSampler sampler(static_cast<float>(temperature), tokenizer->specialTokens().endToken,
                                   decodingOptions);

        if (textDecoder_->isModelMultilingual && !decodingOptions.language && decodingOptions.detectLanguage) {
            std::optional<DecodingResult> detected;
            try {
                detected = textDecoder_->detectLanguage(encoderSegment, *state.decoderInputs, sampler, decodingOptions,
                                                        temperature);
            } catch (const std::exception& error) {
                Logging::debug("Language detection failed: " + std::string(error.what()));
            }
            state.detectedLanguage = detected ? std::optional(detected->language) : std::nullopt;
            if (decodingOptions.usePrefillPrompt)
                textDecoder_->prefillDecoderInputs(*state.decoderInputs, decodingOptions);
            Logging::debug("Prefill prompt updated to: " +
                           TranscribeTaskSupport::promptTokenTexts(state.decoderInputs->initialPrompt, *tokenizer));
            if (detected && detected->timings)
                updateTimings([&](TranscriptionTimings& timings) {
                    timings.decodingPredictions += detected->timings->decodingPredictions;
                    timings.decodingSampling += detected->timings->decodingSampling;
                });
        }

        latest = textDecoder_->decodeText(encoderSegment, *state.decoderInputs, sampler, decodingOptions, callback);
        if (!state.detectedLanguage)
            state.detectedLanguage = latest->language;
        if (latest->timings)
            updateTimings([&](TranscriptionTimings& timings) { mergeDecodingTimings(timings, *latest->timings); });

        if (!latest->fallback || !latest->fallback->needsFallback)
            break;
        state.fallbackCount = static_cast<int>(i);
        const double elapsed = TranscribeTaskSupport::secondsSince(attemptStart);
        updateTimings([&](TranscriptionTimings& timings) {
            timings.decodingFallback += elapsed;
            // The index of the attempt, not a running count: window ids are
            // derived from it.
            timings.totalDecodingFallbacks = static_cast<double>(state.fallbackCount);
        });
        state.decoderInputs->reset(state.prefilledCacheSize, state.maxTokenContext());
        Logging::info("Fallback #" + std::to_string(state.fallbackCount + 1) + " (" + latest->fallback->fallbackReason +
                      ")");
    }
    if (!latest)
        throw WhisperError::decodingFailed("Decoding failed");
    return *latest;
}

} // namespace RadozodEri
