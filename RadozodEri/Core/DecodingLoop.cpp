#include "RadozodEri/Core/TextDecoder.h"

#include "Platform/Concurrency/WorkerPool.h"
#include "Platform/Time/Date.h"
#include "Platform/UUID.h"
#include "RadozodEri/Core/Constants.h"
#include "RadozodEri/Core/Text/LogitsFiltering.h"
#include "RadozodEri/Core/Text/TokenSampling.h"
#include "RadozodEri/Core/WindowResult.h"
#include "RadozodEri/Utilities/TextUtilities.h"
#include "RadozodEri/Utilities/WhisperError.h"
#include "RuntimeCore/Logging/Logging.h"

#include <algorithm>
#include <chrono>
#include <numeric>
#include <string>

namespace RadozodEri {

using Platform::CoreML::MLMultiArray;
using Platform::CoreML::MLMultiArrayDataType;
using Logging = RuntimeCore::Logging;

namespace {

using Clock = std::chrono::steady_clock;

// Tokens a window holds at most, forced prompt included.
constexpr std::size_t kMaxWindowTokens = 222;
// The last position a window decodes, below the engine's token budget.
constexpr std::int64_t kMaxTokenPosition = Constants::maxTokenContext - 1;

double secondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

bool debugLogging()
{
    return Logging::shared().logLevel() <= RuntimeCore::LogLevel::debug;
}

void logToken(const char* what, std::int64_t index, int token, const WhisperTokenizer& tokenizer)
{
    if (!debugLogging())
        return;
    const int tokens[]{token};
    Logging::debug(std::string(what) + std::to_string(index) + ", token: " + std::to_string(token) +
                   ", text: " + tokenizer.decode(tokens));
}

// Progress callbacks run here, apart from the decoding threads, so that a
// slow callback never holds up a window.
Platform::WorkerPool& progressReports()
{
    static Platform::WorkerPool pool(2);
    return pool;
}

// A step's model output must fit the window's buffers before it is copied
// into them: key and value updates [1, E, 1, 1] and alignment weights
// [1, W], all float16.
void checkStepOutputs(const DecodingCache& cache, const DecodingInputs& inputs)
{
    const auto fits = [](const MLMultiArray& array, const std::vector<std::int64_t>& shape) {
        return array.dataType() == MLMultiArrayDataType::float16 && array.shape() == shape;
    };
    const std::int64_t channels = inputs.keyCache.shape()[1];
    if (!cache.keyCache || !cache.valueCache)
        throw WhisperError::decodingFailed("The decoder step gave no key or value cache updates");
    for (const auto* update : {&*cache.keyCache, &*cache.valueCache})
        if (!fits(*update, {1, channels, 1, 1}))
            throw WhisperError::decodingFailed("The decoder's cache updates are " +
                                               Platform::CoreML::shapeText(update->shape()) + ", not [1, " +
                                               std::to_string(channels) + ", 1, 1] float16");
    const std::int64_t window = inputs.alignmentWeights.shape()[1];
    if (cache.alignmentWeights && !fits(*cache.alignmentWeights, {1, window}))
        throw WhisperError::decodingFailed("The decoder's alignment weights are " +
                                           Platform::CoreML::shapeText(cache.alignmentWeights->shape()) + ", not [1, " +
                                           std::to_string(window) + "] float16");
}

// Removes the window's stop flag however the call ends.
class StopFlag {
public:
    StopFlag(RuntimeCore::EarlyStopActor& actor, const Platform::UUID& window) : actor_(actor), window_(window)
    {
        actor_.set(false, window_);
    }
    ~StopFlag()
    {
        if (!removed_)
            actor_.remove(window_);
    }
    StopFlag(const StopFlag&) = delete;
    StopFlag& operator=(const StopFlag&) = delete;

    void remove()
    {
        removed_ = true;
        if (!actor_.remove(window_))
            Logging::error("Early stop flag not found for window: " + window_.uuidString());
    }

private:
    RuntimeCore::EarlyStopActor& actor_;
    Platform::UUID window_;
    bool removed_ = false;
};

} // namespace

DecodingResult TextDecoder::decodeText(const AudioEncoderOutputType& encoderOutput, DecodingInputsType& inputs,
                                       TokenSampling& sampler, const DecodingOptions& options,
                                       const ProgressCallback& callback, std::stop_token stop)
{
    const auto tokenizer = this->tokenizer;
    if (!tokenizer)
        throw WhisperError::tokenizerUnavailable("Tokenizer is unavailable");
    const SpecialTokens special = tokenizer->specialTokens();
    if (inputs.initialPrompt.empty())
        throw WhisperError::decodingFailed("The decoder inputs hold no prompt to decode from");

    const auto prefilledIndex = static_cast<std::int64_t>(inputs.cacheLength.number(0));
    if (prefilledIndex < 0)
        throw WhisperError::decodingFailed("The decoder inputs start at cache position " +
                                           std::to_string(prefilledIndex));
    const auto initialPromptIndex = static_cast<std::int64_t>(inputs.initialPrompt.size());
    std::vector<int> currentTokens = inputs.initialPrompt;
    std::vector<float> logProbs(currentTokens.size(), 0.0f);
    int nextToken = currentTokens.back();
    const auto filters = createLogitsFilters(options, static_cast<int>(prefilledIndex),
                                             static_cast<int>(initialPromptIndex), *tokenizer);
    const std::int64_t loopBound = std::min(options.sampleLength, kMaxTokenPosition);
    auto* decoderInputs = dynamic_cast<DecodingInputs*>(&inputs);
    const std::optional<MLMultiArray> encoderArray = encoderOutput.multiArrayValue();
    if (decoderInputs && loopBound > prefilledIndex && decoderInputs->kvCacheUpdateMask.count() <= loopBound)
        throw WhisperError::decodingFailed("The decoder's cache holds " +
                                           std::to_string(decoderInputs->kvCacheUpdateMask.count()) +
                                           " positions, too few for " + std::to_string(loopBound) + " tokens");
    Logging::debug("Running main loop for a maximum of", loopBound, "iterations, starting at index", prefilledIndex);

    const Platform::UUID windowId = Platform::UUID::random();
    StopFlag stopFlag(*earlyStopActor, windowId);
    const std::weak_ptr<TextDecoder> weakDecoder = weak_from_this();

    bool isFirstTokenLogProbTooLow = false;
    bool hasAlignment = false;
    // Only the decoding loop's own figures are kept; the rest stay at their defaults.
    TranscriptionTimings timings;

    for (std::int64_t tokenIndex = prefilledIndex; tokenIndex < loopBound; ++tokenIndex) {
        const auto stepStart = Clock::now();
        const auto position = static_cast<std::size_t>(tokenIndex);
        if (tokenIndex < initialPromptIndex) {
            const bool isTimestampPair = tokenIndex == initialPromptIndex - 1 &&
                                         currentTokens[position] >= special.timeTokenBegin &&
                                         nextToken >= special.timeTokenBegin;
            if (isTimestampPair) {
                // The model's own first timestamp replaces the forced one.
                currentTokens[position] = nextToken;
                logToken("Skipping prompt tokenIndex: ", tokenIndex, nextToken, *tokenizer);
            } else {
                nextToken = currentTokens[position];
                logToken("Forcing prompt tokenIndex: ", tokenIndex, nextToken, *tokenizer);
            }
        }

        if (!decoderInputs)
            throw WhisperError::prepareDecoderInputsFailed("DecodingInputsType must be DecodingInputs");
        decoderInputs->inputIds.setNumber(0, nextToken);
        decoderInputs->cacheLength.setNumber(0, static_cast<double>(tokenIndex));
        if (tokenIndex <= prefilledIndex + 3)
            debugCaches(*decoderInputs, static_cast<int>(tokenIndex), static_cast<int>(prefilledIndex));

        const auto inferenceStart = Clock::now();
        if (!encoderArray)
            throw WhisperError::prepareDecoderInputsFailed("Input must be MLMultiArray");
        const auto prediction =
            predictLogits(TextDecoderMLMultiArrayInputType{decoderInputs->inputIds, decoderInputs->cacheLength,
                                                           decoderInputs->keyCache, decoderInputs->valueCache,
                                                           decoderInputs->kvCacheUpdateMask, *encoderArray,
                                                           decoderInputs->decoderKeyPaddingMask},
                          stop);
        if (!prediction)
            throw WhisperError::decodingLogitsFailed("Unable to decode logits");
        if (!prediction->logits)
            throw WhisperError::decodingFailed("The decoder gave no logits; is its model loaded?");
        const double predictionTime = secondsSince(inferenceStart);

        const auto nonPredictionStart = Clock::now();
        MLMultiArray logits = *prediction->logits;
        for (const auto& filter : filters)
            logits = filter->filterLogits(std::move(logits), currentTokens);
        const double filteringTime = secondsSince(nonPredictionStart);

        const auto samplingStart = Clock::now();
        const SamplingResult sampled = sampler.update(currentTokens, logits, logProbs);
        if (sampled.tokens.empty() || sampled.logProbs.empty())
            throw WhisperError::decodingFailed("The sampler gave no token");
        nextToken = sampled.tokens.back();
        const float nextLogProb = sampled.logProbs.back();
        logToken("Predicted next tokenIndex: ", tokenIndex + 1, nextToken, *tokenizer);
        const double samplingTime = secondsSince(samplingStart);

        if (tokenIndex == prefilledIndex && options.firstTokenLogProbThreshold &&
            nextLogProb < *options.firstTokenLogProbThreshold)
            isFirstTokenLogProbTooLow = true;

        timings.decodingPredictions += predictionTime;
        timings.decodingFiltering += filteringTime;
        timings.decodingSampling += samplingTime;

        if (sampled.completed || isFirstTokenLogProbTooLow || currentTokens.size() > kMaxWindowTokens) {
            timings.decodingNonPrediction += secondsSince(nonPredictionStart);
            timings.decodingLoop += secondsSince(stepStart);
            timings.totalDecodingLoops += 1;
            break;
        }
        if (tokenIndex >= initialPromptIndex - 1) {
            currentTokens.push_back(nextToken);
            logProbs.push_back(nextLogProb);
        }

        if (!prediction->cache)
            throw WhisperError::decodingFailed("The decoder step gave no key or value cache updates");
        const DecodingCache& updates = *prediction->cache;
        checkStepOutputs(updates, *decoderInputs);
        const auto cacheStart = Clock::now();
        updateKVCache(decoderInputs->keyCache, *updates.keyCache, decoderInputs->valueCache, *updates.valueCache,
                      static_cast<int>(tokenIndex));
        decoderInputs->decoderKeyPaddingMask.setNumber(tokenIndex + 1, 0);
        decoderInputs->kvCacheUpdateMask.setNumber(tokenIndex, 0);
        decoderInputs->kvCacheUpdateMask.setNumber(tokenIndex + 1, 1);
        if (updates.alignmentWeights) {
            updateAlignmentWeights(decoderInputs->alignmentWeights, *updates.alignmentWeights,
                                   static_cast<int>(tokenIndex));
            hasAlignment = true;
        }
        const double cacheTime = secondsSince(cacheStart);

        if (callback) {
            // Reports exist only for the callback: without one, the text and
            // the compression ratio of every step would be wasted work.
            TranscriptionProgress report;
            report.timings = timings;
            report.timings.decodingKvCaching += cacheTime;
            report.timings.totalKVUpdateRuns += 1;
            report.tokens = currentTokens;
            if (options.skipSpecialTokens) {
                std::vector<int> textTokens;
                std::ranges::copy_if(currentTokens, std::back_inserter(textTokens),
                                     [&](int token) { return token < special.specialTokenBegin; });
                report.text = tokenizer->decode(textTokens);
            } else {
                report.text = tokenizer->decode(currentTokens);
            }
            report.avgLogprob =
                std::accumulate(logProbs.begin(), logProbs.end(), 0.0f) / static_cast<float>(logProbs.size());
            report.compressionRatio = TextUtilities::compressionRatio(currentTokens);
            const bool isPrompt = tokenIndex < initialPromptIndex - 1;
            progressReports().submit([weakDecoder, callback, report = std::move(report), windowId, isPrompt] {
                const auto decoder = weakDecoder.lock();
                if (!decoder)
                    return;
                if (callback(report) == false && !isPrompt) {
                    Logging::debug("Early stopping");
                    decoder->earlyStopActor->replace(true, windowId);
                }
            });
        }

        const double nonPredictionTime = secondsSince(nonPredictionStart);
        const double stepTime = secondsSince(stepStart);
        if (tokenIndex == prefilledIndex) {
            const Platform::Date now = Platform::Date::now();
            Logging::debug("Found first token at:", now.secondsSinceReferenceDate);
            timings.firstTokenTime = now.secondsSinceReferenceDate;
        }
        const bool shouldStop = earlyStopActor->get(windowId);
        timings.decodingLoop += stepTime;
        timings.decodingKvCaching += cacheTime;
        timings.decodingNonPrediction += nonPredictionTime;
        timings.totalDecodingLoops += 1;
        timings.totalKVUpdateRuns += 1;
        if (shouldStop)
            break;
    }
    stopFlag.remove();

    std::optional<DecodingCache> cache;
    if (decoderInputs)
        cache = DecodingCache{.keyCache = decoderInputs->keyCache,
                              .valueCache = decoderInputs->valueCache,
                              .alignmentWeights =
                                  hasAlignment ? std::optional(decoderInputs->alignmentWeights) : std::nullopt};
    DecodingResult result = windowResult(sampler.finalize(currentTokens, logProbs), *tokenizer, sampler, options,
                                         isFirstTokenLogProbTooLow);
    result.cache = std::move(cache);
    result.timings = timings;
    return result;
}

} // namespace RadozodEri
