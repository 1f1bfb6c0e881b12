// Transcribing many inputs at once: files and sample arrays in batches on a
// bounded pool, and long recordings cut at silences and transcribed as a batch.

#include "Platform/Concurrency/ProcessorCount.h"
#include "Platform/Concurrency/WorkerPool.h"
#include "RadozodEri/Core/Audio/AudioProcessor.h"
#include "RadozodEri/Core/Audio/EnergyVAD.h"
#include "RadozodEri/Core/Audio/VADAudioChunker.h"
#include "RadozodEri/Core/RadozodEri.h"
#include "RadozodEri/Utilities/WhisperError.h"
#include "RuntimeCore/Extensions/FoundationExtensions.h"
#include "RuntimeCore/Logging/Logging.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <numeric>

namespace RadozodEri {

namespace {

using Logging = RuntimeCore::Logging;

// Samples before the first cut and after the last that a chunk may not start in.
constexpr std::int64_t chunkWindowPadding = 16000;

std::vector<TranscriptionOutcome> singleFailure(const std::string& message)
{
    return {std::make_exception_ptr(WhisperError::transcriptionFailed(message))};
}

// The batch size. Absent options count 0, and so does a negative count, so
// that a batch never loses inputs: 0 puts every input in one batch.
std::int64_t workerCount(const std::vector<std::optional<DecodingOptions>>& options)
{
    std::int64_t count = 0;
    for (const auto& option : options)
        if (option)
            count = std::max(count, option->concurrentWorkerCount);
    return count;
}

// Counts down the jobs of one batch.
class BatchLatch {
public:
    explicit BatchLatch(std::size_t count) : remaining_(count) {}
    void done()
    {
        std::lock_guard lock(mutex_);
        if (--remaining_ == 0)
            finished_.notify_all();
    }
    void wait()
    {
        std::unique_lock lock(mutex_);
        finished_.wait(lock, [this] { return remaining_ == 0; });
    }

private:
    std::mutex mutex_;
    std::condition_variable finished_;
    std::size_t remaining_;
};

} // namespace

std::vector<RadozodEri::OptionalTranscriptionResults>
RadozodEri::transcribe(const std::vector<std::string>& audioPaths, const std::optional<DecodingOptions>& decodeOptions,
                       const TranscriptionCallback& callback, std::stop_token stop)
{
    return toOptionalArrays(transcribeWithResults(audioPaths, decodeOptions, callback, std::move(stop)));
}

std::vector<TranscriptionOutcome> RadozodEri::transcribeWithResults(const std::vector<std::string>& audioPaths,
                                                                    const std::optional<DecodingOptions>& decodeOptions,
                                                                    const TranscriptionCallback& callback,
                                                                    std::stop_token stop)
{
    const auto report = [this](TranscriptionState state) {
        if (transcriptionStateCallback)
            transcriptionStateCallback(state);
    };
    report(TranscriptionState::convertingAudio);
    const auto start = std::chrono::steady_clock::now();

    std::vector<AudioLoadOutcome> loaded = AudioProcessor::loadAudio(audioPaths, audioInputConfig.channelMode);
    std::vector<std::vector<float>> arrays;
    for (AudioLoadOutcome& outcome : loaded)
        if (auto* samples = std::get_if<std::vector<float>>(&outcome))
            arrays.push_back(std::move(*samples));

    const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    updateTimings([&](TranscriptionTimings& timings) { timings.audioLoading = elapsed; });
    Logging::debug("Total Audio Loading and Converting Time: " + RuntimeCore::textualForm(elapsed));

    report(TranscriptionState::transcribing);
    std::vector<TranscriptionOutcome> transcribed =
        transcribeWithResults(arrays, decodeOptions, callback, std::move(stop));

    std::vector<TranscriptionOutcome> outcomes;
    std::size_t next = 0;
    for (const AudioLoadOutcome& outcome : loaded) {
        if (const auto* error = std::get_if<std::exception_ptr>(&outcome))
            outcomes.emplace_back(*error);
        else if (next < transcribed.size())
            outcomes.push_back(std::move(transcribed[next++]));
    }
    report(TranscriptionState::finished);
    return outcomes;
}

std::vector<RadozodEri::OptionalTranscriptionResults>
RadozodEri::transcribe(const std::vector<std::vector<float>>& audioArrays,
                       const std::optional<DecodingOptions>& decodeOptions, const TranscriptionCallback& callback,
                       std::stop_token stop)
{
    return toOptionalArrays(transcribeWithResults(audioArrays, decodeOptions, callback, std::move(stop)));
}

std::vector<TranscriptionOutcome> RadozodEri::transcribeWithResults(const std::vector<std::vector<float>>& audioArrays,
                                                                    const std::optional<DecodingOptions>& decodeOptions,
                                                                    const TranscriptionCallback& callback,
                                                                    std::stop_token stop)
{
    const std::vector<std::optional<DecodingOptions>> options(audioArrays.size(), decodeOptions);
    return transcribeWithOptions(audioArrays, options, std::nullopt, callback, std::move(stop));
}

std::vector<TranscriptionOutcome>
RadozodEri::transcribeWithOptions(const std::vector<std::vector<float>>& audioArrays,
                                  const std::vector<std::optional<DecodingOptions>>& decodeOptionsArray,
                                  const std::optional<std::vector<std::int64_t>>& seekOffsets,
                                  const TranscriptionCallback& callback, std::stop_token stop)
{
    if (decodeOptionsArray.size() != audioArrays.size())
        return singleFailure("The number of audio arrays and decoding options must be balanced.");
    if (seekOffsets && seekOffsets->size() != audioArrays.size())
        return singleFailure("The number of audio arrays and seek offset indexes must be balanced.");
    if (audioArrays.empty())
        return {};

    // Batches of positions rather than of arrays: the samples are not copied.
    std::vector<std::size_t> positions(audioArrays.size());
    std::iota(positions.begin(), positions.end(), std::size_t{0});
    const std::int64_t count = workerCount(decodeOptionsArray);
    const auto batches =
        RuntimeCore::batched(positions, count > 0 ? count : static_cast<std::ptrdiff_t>(positions.size()));

    const std::size_t largestBatch = batches.front().size();
    Platform::WorkerPool pool(
        std::min<std::size_t>(largestBatch, static_cast<std::size_t>(Platform::processorCount())));

    std::vector<TranscriptionOutcome> outcomes;
    outcomes.reserve(audioArrays.size());
    for (const auto& batch : batches) {
        std::vector<TranscriptionOutcome> batchOutcomes(batch.size());
        BatchLatch latch(batch.size());
        for (std::size_t index = 0; index < batch.size(); ++index) {
            const std::size_t position = batch[index];
            TranscriptionCallback positioned;
            if (callback)
                positioned = [callback, position](const TranscriptionProgress& progress) {
                    TranscriptionProgress copy = progress;
                    copy.windowId = static_cast<std::int64_t>(position);
                    return callback(copy);
                };
            SegmentDiscoveryCallback segments = segmentDiscoveryCallback;
            if (seekOffsets)
                segments = [this, offset = (*seekOffsets)[position]](const std::vector<TranscriptionSegment>& found) {
                    std::vector<TranscriptionSegment> shifted = found;
                    for (TranscriptionSegment& segment : shifted)
                        segment.seek += offset;
                    if (segmentDiscoveryCallback)
                        segmentDiscoveryCallback(shifted);
                };
            pool.submit([&, position, index, positioned = std::move(positioned), segments = std::move(segments)] {
                try {
                    batchOutcomes[index] =
                        transcribe(audioArrays[position], decodeOptionsArray[position], positioned, segments, stop);
                } catch (...) {
                    batchOutcomes[index] = std::current_exception();
                }
                latch.done();
            });
        }
        latch.wait();
        for (TranscriptionOutcome& outcome : batchOutcomes)
            outcomes.push_back(std::move(outcome));
    }
    return outcomes;
}

RadozodEri::TranscriptionResults RadozodEri::transcribeInVoiceChunks(const std::vector<float>& audioArray,
                                                                     std::int64_t windowSamples,
                                                                     const DecodingOptions& decodeOptions,
                                                                     const TranscriptionCallback& callback,
                                                                     std::stop_token stop)
{
    std::shared_ptr<const VoiceActivityDetector> detector = voiceActivityDetector;
    if (!detector)
        detector = std::make_shared<EnergyVAD>(16000, 1600, 0, 0.02f);
    VADAudioChunker chunker(chunkWindowPadding, std::move(detector));
    std::vector<AudioChunk> chunks = chunker.chunkAll(audioArray, windowSamples, decodeOptions);
    Logging::debug("Found " + std::to_string(chunks.size()) + " VAD chunks");

    const auto engineProgress = progress();
    engineProgress->setTotalUnitCount(
        std::max<std::int64_t>(engineProgress->totalUnitCount(), static_cast<std::int64_t>(chunks.size())));

    // Each chunk is decoded whole: the clip times belong to the whole recording.
    DecodingOptions chunkOptions = decodeOptions;
    chunkOptions.clipTimestamps.clear();
    std::vector<std::vector<float>> arrays;
    std::vector<std::int64_t> offsets;
    for (AudioChunk& chunk : chunks) {
        arrays.push_back(std::move(chunk.audioSamples));
        offsets.push_back(chunk.seekOffsetIndex);
    }
    const std::vector<std::optional<DecodingOptions>> options(arrays.size(), chunkOptions);
    const auto outcomes = transcribeWithOptions(arrays, options, offsets, callback, std::move(stop));
    return AudioChunking::updateSeekOffsetsForResults(outcomes, chunks);
}

} // namespace RadozodEri
