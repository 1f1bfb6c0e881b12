#include "RadozodEri/Core/TranscribeTask.h"

#include "Platform/Text/CharacterSets.h"
#include "Platform/Text/Format.h"
#include "Platform/Time/DateFormatting.h"
#include "RadozodEri/Core/Audio/AudioProcessor.h"
#include "RadozodEri/Core/Constants.h"
#include "RadozodEri/Core/TranscribeTaskSupport.h"
#include "RadozodEri/Utilities/WhisperError.h"
#include "RuntimeCore/Cancellation.h"
#include "RuntimeCore/Logging/Logging.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace RadozodEri {

namespace {

using Logging = RuntimeCore::Logging;
using Platform::Date;
using TranscribeTaskSupport::secondsSince;

constexpr int kSampleRate = 16000;

bool debugLogging()
{
    return Logging::shared().logLevel() <= RuntimeCore::LogLevel::debug;
}

std::string seconds(std::int64_t samples)
{
    return Platform::formatted("%.2f", static_cast<double>(static_cast<float>(samples) / kSampleRate));
}

// Options under which the loop could never end are refused before any work.
void refuseEndlessLoops(const DecodingOptions& options)
{
    if (options.maxWindowSeek && *options.maxWindowSeek <= 0)
        throw WhisperError::decodingFailed("maxWindowSeek must be positive, got " +
                                           std::to_string(*options.maxWindowSeek));
    if (!std::isfinite(options.windowClipTime))
        throw WhisperError::decodingFailed("windowClipTime must be finite, got " +
                                           RuntimeCore::textualForm(options.windowClipTime));
    if (options.temperatureFallbackCount < 0)
        throw WhisperError::decodingFailed("temperatureFallbackCount must not be negative, got " +
                                           std::to_string(options.temperatureFallbackCount));
}

// Samples kept clear of a clip's end, truncated toward zero; bounded so that
// clip limits never overflow.
std::int64_t clipMargin(float windowClipTime)
{
    constexpr float bound = 1e15f;
    return static_cast<std::int64_t>(std::clamp(windowClipTime * static_cast<float>(kSampleRate), -bound, bound));
}

// Clip times past either end of the audio would cut windows from samples
// that do not exist, so every clip is clamped to the audio.
std::vector<SeekClip> clipsWithinAudio(const DecodingOptions& options, std::int64_t sampleCount)
{
    std::vector<SeekClip> clips = options.prepareSeekClips(sampleCount);
    for (SeekClip& clip : clips) {
        clip.start = std::clamp<std::int64_t>(clip.start, 0, sampleCount);
        clip.end = std::clamp<std::int64_t>(clip.end, clip.start, sampleCount);
    }
    return clips;
}

std::string clipsText(const std::vector<SeekClip>& clips)
{
    std::string text = "[";
    for (std::size_t i = 0; i < clips.size(); ++i)
        text += (i > 0 ? ", (" : "(") + std::to_string(clips[i].start) + ", " + std::to_string(clips[i].end) + ")";
    return text + "]";
}

void logWords(const std::vector<TranscriptionSegment>& segments)
{
    Logging::debug("Word timestamps:");
    for (const auto& segment : segments)
        for (const auto& word : segment.words.value_or(std::vector<WordTiming>{}))
            Logging::debug("[" + Platform::formatted("%.3g", word.start) + " -> " +
                           Platform::formatted("%.3g", word.end) +
                           "] prob: " + RuntimeCore::textualForm(word.probability) + ", word: " + word.word);
}

void logSegments(const std::vector<TranscriptionSegment>& segments)
{
    Logging::debug("Segments for window:");
    for (const auto& segment : segments)
        Logging::debug("[" + Platform::formatted("%.2f", segment.start) + " --> " +
                       Platform::formatted("%.2f", segment.end) + "] " + segment.text);
}

} // namespace

TranscribeTask::TranscribeTask(TranscriptionTimings currentTimings, std::shared_ptr<Platform::Progress> progress,
                               std::shared_ptr<AudioProcessing> audioProcessor,
                               std::shared_ptr<AudioEncoding> audioEncoder,
                               std::shared_ptr<FeatureExtracting> featureExtractor,
                               std::shared_ptr<SegmentSeeking> segmentSeeker, std::shared_ptr<TextDecoding> textDecoder,
                               std::shared_ptr<const WhisperTokenizer> tokenizer)
    : tokenizer(std::move(tokenizer)),
      progress_(progress ? std::move(progress) : std::make_shared<Platform::Progress>(0)),
      audioEncoder_(std::move(audioEncoder)), featureExtractor_(std::move(featureExtractor)),
      segmentSeeker_(std::move(segmentSeeker)), textDecoder_(std::move(textDecoder)),
      audioProcessor_(audioProcessor ? std::move(audioProcessor) : std::make_shared<AudioProcessor>()),
      timings_(currentTimings)
{
}

TranscriptionTimings TranscribeTask::timings() const
{
    std::lock_guard lock(timingsMutex_);
    return timings_;
}

void TranscribeTask::updateTimings(const std::function<void(TranscriptionTimings&)>& update)
{
    std::lock_guard lock(timingsMutex_);
    update(timings_);
}

int TranscribeTask::RunState::maxTokenContext() const
{
    return static_cast<int>(callerOptions ? callerOptions->sampleLength : Constants::maxTokenContext);
}

void TranscribeTask::windowPreprocess(const AudioProcessorOutputType&, std::int64_t, std::int64_t) {}

std::vector<TranscriptionSegment> TranscribeTask::windowPostProcess(std::int64_t, std::int64_t,
                                                                    std::vector<TranscriptionSegment> originalSegments)
{
    return originalSegments;
}

ProgressCallback TranscribeTask::progressWrapper(const ProgressCallback& callback)
{
    // Without a caller's callback the wrapper would answer nothing to every
    // report, so the decoder is spared making them.
    if (!callback)
        return {};
    return [task = weak_from_this(), callback](const TranscriptionProgress& report) -> std::optional<bool> {
        const auto owner = task.lock();
        if (!owner)
            return std::nullopt;
        TranscriptionProgress copy = report;
        const TranscriptionTimings timings = owner->timings();
        copy.windowId = static_cast<std::int64_t>(timings.totalDecodingWindows - timings.totalDecodingFallbacks);
        return callback(copy);
    };
}

std::shared_ptr<TranscriptionResult> TranscribeTask::run(const std::vector<float>& audioArray,
                                                         const std::optional<DecodingOptions>& decodeOptions,
                                                         const ProgressCallback& callback, std::stop_token stop)
{
    const TranscribeTaskSupport::SignpostScope signpost("TranscribeAudio");
    const Date now = Date::now();
    updateTimings([&](TranscriptionTimings& timings) {
        timings.pipelineStart = std::min(timings.pipelineStart, now.secondsSinceReferenceDate);
    });
    if (debugLogging())
        Logging::debug("Starting pipeline at: " + Platform::formatDatePattern(now, "yyyy'-'MM'-'dd HH':'mm':'ss' 'Z"));

    DecodingOptions options = decodeOptions.value_or(DecodingOptions{});
    options.verbose = Logging::shared().logLevel() != RuntimeCore::LogLevel::none;
    refuseEndlessLoops(options);

    RunState state;
    state.callerOptions = decodeOptions;
    const auto sampleCount = static_cast<std::int64_t>(audioArray.size());
    const double clipStart = decodeOptions && !decodeOptions->clipTimestamps.empty()
                                 ? static_cast<double>(decodeOptions->clipTimestamps.front())
                                 : 0.0;
    updateTimings([&](TranscriptionTimings& timings) {
        timings.inputAudioSeconds = static_cast<double>(sampleCount) / kSampleRate - clipStart;
    });

    std::vector<TranscriptionSegment> allSegments;
    std::vector<int> allTokens;
    const SpecialTokens special = tokenizer->specialTokens();

    const Date initStart = Date::now();
    state.decoderInputs = textDecoder_->prepareDecoderInputs({special.startOfTranscriptToken});
    const double decodingInit = secondsSince(initStart);
    updateTimings([&](TranscriptionTimings& timings) { timings.decodingInit = decodingInit; });
    Logging::debug("Decoder init time: " + RuntimeCore::textualForm(decodingInit));

    const Date prefillStart = Date::now();
    if (options.usePrefillPrompt)
        textDecoder_->prefillDecoderInputs(*state.decoderInputs, options);
    state.prefilledCacheSize = static_cast<int>(state.decoderInputs->cacheLength.number(0));
    const double prefill = secondsSince(prefillStart);
    updateTimings([&](TranscriptionTimings& timings) { timings.prefill = prefill; });
    Logging::debug("Prefill time: " + RuntimeCore::textualForm(prefill));
    if (debugLogging())
        Logging::debug("Prefill prompt: " +
                       TranscribeTaskSupport::promptTokenTexts(state.decoderInputs->initialPrompt, *tokenizer));

    const std::vector<SeekClip> clips = clipsWithinAudio(options, sampleCount);
    Logging::debug("Decoding seek clips: " + clipsText(clips));
    std::int64_t totalSamples = 0;
    for (const SeekClip& clip : clips)
        totalSamples += clip.end - clip.start;
    progress_->setTotalUnitCount(totalSamples);
    const Date loopStart = Date::now();
    const std::int64_t margin = clipMargin(options.windowClipTime);

    for (const SeekClip& clip : clips) {
        const std::int64_t baseCount = progress_->completedUnitCount();
        const std::int64_t windowLength = featureExtractor_->windowSamples().value_or(Constants::defaultWindowSamples);
        // A negative margin still ends the clip at its end.
        const std::int64_t limit = std::min(clip.end - margin, clip.end);
        std::int64_t seek = clip.start;
        while (seek < limit) {
            const std::int64_t segmentSize = std::min({windowLength, sampleCount - seek, clip.end - seek});
            Logging::debug("Decoding Seek: " + std::to_string(seek) + " (" + seconds(seek) + "s)");
            Logging::debug(
                "Decoding Window Size: " + std::to_string(segmentSize) + " (" +
                Platform::formatted("%.2f", static_cast<double>(static_cast<float>(seek + segmentSize) / kSampleRate -
                                                                static_cast<float>(seek) / kSampleRate)) +
                "s)");

            const Date audioStart = Date::now();
            const std::vector<float> window(audioArray.begin() + seek, audioArray.begin() + seek + segmentSize);
            const auto padded = audioProcessor_->padOrTrim(window, 0, windowLength);
            if (!padded)
                throw WhisperError::transcriptionFailed("Audio samples are nil");
            windowPreprocess(*padded, seek, segmentSize);
            const double audioTime = secondsSince(audioStart);
            updateTimings([&](TranscriptionTimings& timings) {
                timings.audioProcessing += audioTime;
                timings.totalAudioProcessingRuns += 1;
            });
            RuntimeCore::checkCancellation(stop);

            const Date melStart = Date::now();
            const auto features = featureExtractor_->logMelSpectrogram(Platform::CoreML::MLFeatureValue(*padded));
            if (!features)
                throw WhisperError::transcriptionFailed("Mel output is nil");
            const double melTime = secondsSince(melStart);
            updateTimings([&](TranscriptionTimings& timings) {
                timings.logmels += melTime;
                timings.totalLogmelRuns += 1;
            });
            RuntimeCore::checkCancellation(stop);

            const Date encoderStart = Date::now();
            const auto encoded = audioEncoder_->encodeFeatures(*features);
            if (!encoded)
                throw WhisperError::transcriptionFailed("Encoder output is nil");
            const double encoderTime = secondsSince(encoderStart);
            updateTimings([&](TranscriptionTimings& timings) {
                timings.encoding += encoderTime;
                timings.totalEncodingRuns += 1;
            });

            Logging::info("Decoding " + seconds(seek) + "s - " + seconds(seek + segmentSize) + "s");
            const ProgressCallback wrapper = progressWrapper(callback);
            RuntimeCore::checkCancellation(stop);
            const DecodingResult decoded = decodeWithFallback(*encoded, options, wrapper, state);

            const Date windowingStart = Date::now();
            auto [seekPoint, segments] = segmentSeeker_->findSeekPointAndSegments(
                decoded, options, static_cast<std::int64_t>(allSegments.size()), seek, segmentSize, kSampleRate,
                special.timeTokenBegin, special.specialTokenBegin, *tokenizer);
            std::int64_t newSeek = std::max(seek, seekPoint);

            if (options.wordTimestamps && decoded.cache && decoded.cache->alignmentWeights) {
                const Date wordStart = Date::now();
                const auto timed = segmentSeeker_->addWordTimestamps(
                    segments.value_or(std::vector<TranscriptionSegment>{}), *decoded.cache->alignmentWeights,
                    *tokenizer, seek, segmentSize, Constants::defaultPrependPunctuations,
                    Constants::defaultAppendPunctuations, static_cast<float>(static_cast<double>(seek) / kSampleRate),
                    options, timings());
                const double wordTime = secondsSince(wordStart);
                updateTimings([&](TranscriptionTimings& timings) {
                    timings.decodingWordTimestamps += wordTime;
                    timings.totalTimestampAlignmentRuns += 1;
                });
                // Without word timings the window keeps the seeker's
                // segments: its text must not be lost.
                if (timed) {
                    std::vector<TranscriptionSegment> kept;
                    std::ranges::copy_if(*timed, std::back_inserter(kept),
                                         [](const auto& segment) { return segment.start < segment.end; });
                    if (!kept.empty() && std::isfinite(kept.back().end)) {
                        const double end = std::clamp(static_cast<double>(kept.back().end) * kSampleRate, -1e15, 1e15);
                        newSeek = std::max(newSeek, static_cast<std::int64_t>(end));
                    }
                    segments = std::move(kept);
                    if (options.verbose)
                        logWords(*segments);
                }
            }
            if (options.maxWindowSeek)
                newSeek = std::min(newSeek, seek + *options.maxWindowSeek);

            if (segments) {
                *segments = windowPostProcess(seek, segmentSize, std::move(*segments));
                if (options.verbose)
                    logSegments(*segments);
                if (segmentDiscoveryCallback)
                    segmentDiscoveryCallback(*segments);
                for (const auto& segment : *segments)
                    allTokens.insert(allTokens.end(), segment.tokens.begin(), segment.tokens.end());
                allSegments.insert(allSegments.end(), segments->begin(), segments->end());
                const double windowing = secondsSince(windowingStart);
                updateTimings([&](TranscriptionTimings& timings) {
                    timings.decodingWindowing += windowing;
                    timings.totalDecodingWindows += 1;
                });
                progress_->setCompletedUnitCount(baseCount + std::min(newSeek, clip.end) - clip.start);
            }
            // Also after a window without segments, so that the next window
            // never decodes from where this one left the cache.
            state.decoderInputs->reset(state.prefilledCacheSize, state.maxTokenContext());

            if (newSeek <= seek) {
                Logging::debug("Decoding stopped at seek " + std::to_string(seek) + ": the window did not advance");
                break;
            }
            seek = newSeek;
        }
    }

    progress_->setCompletedUnitCount(progress_->totalUnitCount());
    updateTimings([&](TranscriptionTimings& timings) {
        timings.decodingLoop = secondsSince(loopStart);
        timings.fullPipeline = Date::now().secondsSinceReferenceDate - timings.pipelineStart;
    });
    return finalizeTranscriptionResult(allTokens, std::move(allSegments), state.detectedLanguage, timings());
}

std::shared_ptr<TranscriptionResult>
TranscribeTask::finalizeTranscriptionResult(const std::vector<int>& tokens, std::vector<TranscriptionSegment> segments,
                                            const std::optional<std::string>& language,
                                            const TranscriptionTimings& timings)
{
    const int specialTokenBegin = tokenizer->specialTokens().specialTokenBegin;
    std::vector<int> textTokens;
    std::ranges::copy_if(tokens, std::back_inserter(textTokens), [&](int token) { return token < specialTokenBegin; });
    const std::string decoded = tokenizer->decode(textTokens);
    return std::make_shared<TranscriptionResult>(
        std::string(Platform::trimming(decoded, Platform::CharacterSet::whitespaces)), std::move(segments),
        language.value_or(std::string(Constants::defaultLanguageCode)), timings);
}

} // namespace RadozodEri
