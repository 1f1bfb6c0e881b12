// Transcribing one audio file or array: loading the models on first use, one
// task per transcription, and the engine's progress and state reports.

#include "RadozodEri/Core/Audio/AudioProcessor.h"
#include "RadozodEri/Core/RadozodEri.h"
#include "RadozodEri/Utilities/WhisperError.h"
#include "RuntimeCore/Cancellation.h"
#include "RuntimeCore/Logging/Logging.h"

#include <chrono>
#include <mutex>

namespace RadozodEri {

namespace {

using Logging = RuntimeCore::Logging;

std::shared_ptr<TranscriptionResult> first(const RadozodEri::TranscriptionResults& results)
{
    return results.empty() ? nullptr : results.front();
}

} // namespace

void RadozodEri::replaceProgress()
{
    std::lock_guard lock(stateMutex_);
    progress_ = std::make_shared<Platform::Progress>(0);
}

RadozodEri::TranscriptionResults RadozodEri::transcribe(const std::string& audioPath,
                                                        const std::optional<DecodingOptions>& decodeOptions,
                                                        const TranscriptionCallback& callback, std::stop_token stop)
{
    const auto report = [this](TranscriptionState state) {
        if (transcriptionStateCallback)
            transcriptionStateCallback(state);
    };
    report(TranscriptionState::convertingAudio);

    const auto start = std::chrono::steady_clock::now();
    const auto noteLoading = [&] {
        const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        updateTimings([&](TranscriptionTimings& timings) { timings.audioLoading = elapsed; });
        Logging::debug("Audio loading and convert time: " + RuntimeCore::textualForm(elapsed));
        Logging::logCurrentMemoryUsage("Audio Loading and Convert");
    };
    std::vector<float> samples;
    try {
        samples = AudioProcessor::loadAudioAsFloatArray(audioPath, audioInputConfig.channelMode, 0.0);
    } catch (...) {
        noteLoading();
        throw;
    }
    noteLoading();

    report(TranscriptionState::transcribing);
    try {
        auto results = transcribe(samples, decodeOptions, callback, SegmentDiscoveryCallback{}, std::move(stop));
        report(TranscriptionState::finished);
        return results;
    } catch (...) {
        report(TranscriptionState::finished);
        throw;
    }
}

RadozodEri::TranscriptionResults RadozodEri::transcribe(const std::vector<float>& audioArray,
                                                        const std::optional<DecodingOptions>& decodeOptions,
                                                        const TranscriptionCallback& callback,
                                                        const SegmentDiscoveryCallback& segmentCallback,
                                                        std::stop_token stop)
{
    const SegmentDiscoveryCallback& segments = segmentCallback ? segmentCallback : segmentDiscoveryCallback;
    auto results = runTranscribeTask(audioArray, decodeOptions, callback, segments, std::move(stop));
    if (decodeOptions && decodeOptions->verbose) {
        Logging::info("Total Transcription Results: " + std::to_string(results.size()));
        for (std::size_t i = 0; i < results.size(); ++i) {
            Logging::debug("[Result " + std::to_string(i) + "]");
            results[i]->logSegments();
        }
    }
    return results;
}

std::shared_ptr<TranscriptionResult> RadozodEri::transcribeFirst(const std::string& audioPath,
                                                                 const std::optional<DecodingOptions>& decodeOptions,
                                                                 const TranscriptionCallback& callback,
                                                                 std::stop_token stop)
{
    return first(transcribe(audioPath, decodeOptions, callback, std::move(stop)));
}

std::shared_ptr<TranscriptionResult> RadozodEri::transcribeFirst(const std::vector<float>& audioArray,
                                                                 const std::optional<DecodingOptions>& decodeOptions,
                                                                 const TranscriptionCallback& callback,
                                                                 std::stop_token stop)
{
    return first(transcribe(audioArray, decodeOptions, callback, SegmentDiscoveryCallback{}, std::move(stop)));
}

std::shared_ptr<TranscribeTask> RadozodEri::setupTranscribeTask(
    const TranscriptionTimings& currentTimings, std::shared_ptr<Platform::Progress> progress,
    std::shared_ptr<AudioProcessing> audioProcessor, std::shared_ptr<AudioEncoding> audioEncoder,
    std::shared_ptr<FeatureExtracting> featureExtractor, std::shared_ptr<SegmentSeeking> segmentSeeker,
    std::shared_ptr<TextDecoding> textDecoder, std::shared_ptr<const WhisperTokenizer> tokenizer)
{
    return std::make_shared<TranscribeTask>(currentTimings, std::move(progress), std::move(audioProcessor),
                                            std::move(audioEncoder), std::move(featureExtractor),
                                            std::move(segmentSeeker), std::move(textDecoder), std::move(tokenizer));
}

RadozodEri::TranscriptionResults RadozodEri::runTranscribeTask(const std::vector<float>& audioArray,
                                                               const std::optional<DecodingOptions>& decodeOptions,
                                                               const TranscriptionCallback& callback,
                                                               const SegmentDiscoveryCallback& segmentCallback,
                                                               std::stop_token stop)
{
    if (modelState() != ModelState::loaded) {
        // Concurrent first transcriptions load once: the others wait here and
        // find the models loaded.
        std::lock_guard lifecycle(lifecycleMutex);
        if (modelState() != ModelState::loaded)
            loadModels(false);
    }
    const auto tokenizer = this->tokenizer();
    if (!tokenizer)
        throw WhisperError::tokenizerUnavailable("Tokenizer is unavailable");

    std::shared_ptr<TranscriptionResult> result;
    try {
        RuntimeCore::checkCancellation(stop);
        const auto engineProgress = progress();
        engineProgress->setTotalUnitCount(std::max<std::int64_t>(engineProgress->totalUnitCount(), 1));
        auto childProgress = std::make_shared<Platform::Progress>(0, *engineProgress, 1);
        const auto task = setupTranscribeTask(currentTimings(), std::move(childProgress), audioProcessor, audioEncoder,
                                              featureExtractor, segmentSeeker, textDecoder, tokenizer);
        task->segmentDiscoveryCallback = segmentCallback;
        result = task->run(audioArray, decodeOptions, callback, std::move(stop));
    } catch (const RuntimeCore::CancellationError&) {
        replaceProgress();
        throw;
    }
    if (decodeOptions && decodeOptions->verbose)
        result->logTimings();
    if (progress()->isFinished())
        replaceProgress();
    return {result};
}

} // namespace RadozodEri
