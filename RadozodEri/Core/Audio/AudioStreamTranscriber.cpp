#include "RadozodEri/Core/Audio/AudioStreamTranscriber.h"

#include "Platform/Text/Graphemes.h"
#include "RadozodEri/Core/Audio/AudioProcessor.h"
#include "RadozodEri/Utilities/TextUtilities.h"
#include "RuntimeCore/Logging/Logging.h"

#include <algorithm>
#include <chrono>

namespace RadozodEri {

namespace {

using Logging = RuntimeCore::Logging;

constexpr float sampleRate = 16000;
constexpr auto idlePause = std::chrono::milliseconds(100);
const std::string waitingText = "Waiting for speech...";

// Whether `run` appears in `segments` as consecutive equal segments.
bool containsRun(const std::vector<TranscriptionSegment>& segments, const std::vector<TranscriptionSegment>& run)
{
    return std::search(segments.begin(), segments.end(), run.begin(), run.end()) != segments.end();
}

} // namespace

struct AudioStreamTranscriber::Mailbox {
    std::mutex mutex;
    AudioStreamTranscriber* owner = nullptr;

    void post(std::function<void(AudioStreamTranscriber&)> update)
    {
        std::lock_guard lock(mutex);
        if (owner)
            owner->updates_.submit([target = owner, update = std::move(update)] { update(*target); });
    }
};

AudioStreamTranscriber::AudioStreamTranscriber(
    std::shared_ptr<AudioEncoding> audioEncoder, std::shared_ptr<FeatureExtracting> featureExtractor,
    std::shared_ptr<SegmentSeeking> segmentSeeker, std::shared_ptr<TextDecoding> textDecoder,
    std::shared_ptr<const WhisperTokenizer> tokenizer, std::shared_ptr<AudioProcessing> audioProcessor,
    DecodingOptions decodingOptions, int requiredSegmentsForConfirmation, float silenceThreshold,
    int compressionCheckWindow, bool useVAD, StateChangeCallback stateChangeCallback)
    : transcribeTask_(std::make_shared<TranscribeTask>(
          TranscriptionTimings{}, std::make_shared<Platform::Progress>(0), audioProcessor, std::move(audioEncoder),
          std::move(featureExtractor), std::move(segmentSeeker), std::move(textDecoder), std::move(tokenizer))),
      audioProcessor_(std::move(audioProcessor)), decodingOptions_(std::move(decodingOptions)),
      // A negative count would confirm more segments than there are.
      requiredSegmentsForConfirmation_(std::max(requiredSegmentsForConfirmation, 0)),
      silenceThreshold_(silenceThreshold), compressionCheckWindow_(compressionCheckWindow), useVAD_(useVAD),
      stateChangeCallback_(std::move(stateChangeCallback)), mailbox_(std::make_shared<Mailbox>())
{
    mailbox_->owner = this;
}

AudioStreamTranscriber::~AudioStreamTranscriber()
{
    {
        std::lock_guard lock(mailbox_->mutex);
        mailbox_->owner = nullptr;
    }
    if (state().isRecording)
        audioProcessor_->stopRecording();
    {
        std::lock_guard lock(stateMutex_);
        state_.isRecording = false;
    }
    recordingChanged_.notify_all();
    std::lock_guard loop(loopMutex_);
    if (loop_.joinable())
        loop_.join();
}

AudioStreamTranscriber::State AudioStreamTranscriber::state() const
{
    std::lock_guard lock(stateMutex_);
    return state_;
}

void AudioStreamTranscriber::updateState(const std::function<void(State&)>& change)
{
    std::lock_guard order(callbackOrder_);
    State before;
    State after;
    {
        std::lock_guard lock(stateMutex_);
        before = state_;
        change(state_);
        after = state_;
    }
    recordingChanged_.notify_all();
    if (stateChangeCallback_)
        stateChangeCallback_(before, after);
}

std::future<void> AudioStreamTranscriber::startStreamTranscription()
{
    std::promise<void> ended;
    std::future<void> streaming = ended.get_future();
    std::lock_guard loop(loopMutex_);
    if (state().isRecording) {
        ended.set_value();
        return streaming;
    }
    if (!AudioProcessor::requestRecordPermission()) {
        Logging::error("Microphone access was not granted.");
        ended.set_value();
        return streaming;
    }
    // The loop of an earlier recording has seen the stop and ends its pass.
    if (loop_.joinable())
        loop_.join();
    updateState([](State& state) { state.isRecording = true; });
    audioProcessor_->startRecordingLive(std::nullopt, [mailbox = mailbox_](const std::vector<float>&) {
        mailbox->post([](AudioStreamTranscriber& transcriber) { transcriber.onAudioBufferCallback(); });
    });
    Logging::info("Realtime transcription has started");
    loop_ = std::jthread([this, ended = std::move(ended)]() mutable { runLoop(std::move(ended)); });
    return streaming;
}

void AudioStreamTranscriber::stopStreamTranscription()
{
    updateState([](State& state) { state.isRecording = false; });
    audioProcessor_->stopRecording();
    Logging::info("Realtime transcription has ended");
}

void AudioStreamTranscriber::runLoop(std::promise<void> ended)
{
    while (state().isRecording) {
        try {
            transcribeCurrentBuffer();
        } catch (const std::exception& error) {
            Logging::error(std::string("Error: ") + error.what());
            break;
        } catch (...) {
            Logging::error("Error: unknown error");
            break;
        }
    }
    ended.set_value();
}

void AudioStreamTranscriber::pause()
{
    std::unique_lock lock(stateMutex_);
    recordingChanged_.wait_for(lock, idlePause, [this] { return !state_.isRecording; });
}

void AudioStreamTranscriber::waitForSpeech()
{
    if (state().currentText.empty())
        updateState([](State& state) { state.currentText = waitingText; });
    pause();
}

void AudioStreamTranscriber::transcribeCurrentBuffer()
{
    const std::vector<float> samples = audioProcessor_->audioSamples();
    const auto bufferSize = static_cast<std::int64_t>(samples.size());
    const float newSeconds = static_cast<float>(bufferSize - state().lastBufferSize) / sampleRate;
    if (newSeconds <= 1) {
        waitForSpeech();
        return;
    }
    const bool voiced =
        !useVAD_ || AudioProcessor::isVoiceDetected(audioProcessor_->relativeEnergy(), newSeconds, silenceThreshold_);
    if (!voiced) {
        Logging::debug("No voice detected, skipping transcribe");
        waitForSpeech();
        return;
    }
    updateState([&](State& state) { state.lastBufferSize = bufferSize; });
    const auto result = transcribeAudioSamples(samples);
    if (result)
        processTranscriptionResult(*result);
}

void AudioStreamTranscriber::processTranscriptionResult(const TranscriptionResult& result)
{
    updateState([](State& state) { state.currentText.clear(); });
    updateState([](State& state) { state.unconfirmedText.clear(); });

    const std::vector<TranscriptionSegment> segments = result.segments();
    const auto required = static_cast<std::size_t>(requiredSegmentsForConfirmation_);
    if (segments.size() <= required) {
        updateState([&](State& state) { state.unconfirmedSegments = segments; });
        return;
    }
    const auto split = segments.end() - static_cast<std::ptrdiff_t>(required);
    const std::vector<TranscriptionSegment> confirmed(segments.begin(), split);
    const std::vector<TranscriptionSegment> remaining(split, segments.end());
    const float confirmedEnd = confirmed.back().end;
    if (confirmedEnd > state().lastConfirmedSegmentEndSeconds) {
        updateState([&](State& state) { state.lastConfirmedSegmentEndSeconds = confirmedEnd; });
        // A run confirmed before is heard again while its end moves.
        if (!containsRun(state().confirmedSegments, confirmed))
            updateState([&](State& state) {
                state.confirmedSegments.insert(state.confirmedSegments.end(), confirmed.begin(), confirmed.end());
            });
    }
    updateState([&](State& state) { state.unconfirmedSegments = remaining; });
}

std::shared_ptr<TranscriptionResult> AudioStreamTranscriber::transcribeAudioSamples(const std::vector<float>& samples)
{
    DecodingOptions options = decodingOptions_;
    options.clipTimestamps = {state().lastConfirmedSegmentEndSeconds};
    const ProgressCallback callback = [mailbox = mailbox_, options,
                                       window = compressionCheckWindow_](const TranscriptionProgress& progress) {
        mailbox->post([progress](AudioStreamTranscriber& transcriber) { transcriber.onProgressCallback(progress); });
        return shouldStopEarly(progress, options, window);
    };
    return transcribeTask_->run(samples, options, callback);
}

void AudioStreamTranscriber::onAudioBufferCallback()
{
    const std::vector<float> energy = audioProcessor_->relativeEnergy();
    updateState([&](State& state) { state.bufferEnergy = energy; });
}

void AudioStreamTranscriber::onProgressCallback(const TranscriptionProgress& progress)
{
    const auto fallbacks = static_cast<int>(progress.timings.totalDecodingFallbacks);
    const State current = state();
    if (Platform::graphemeCount(progress.text) < Platform::graphemeCount(current.currentText)) {
        if (fallbacks == current.currentFallbacks)
            updateState([&](State& state) { state.unconfirmedText.push_back(current.currentText); });
        else
            Logging::info("Fallback occured: " + std::to_string(fallbacks));
    }
    updateState([&](State& state) { state.currentText = progress.text; });
    updateState([&](State& state) { state.currentFallbacks = fallbacks; });
}

std::optional<bool> AudioStreamTranscriber::shouldStopEarly(const TranscriptionProgress& progress,
                                                            const DecodingOptions& options, int compressionCheckWindow)
{
    const auto window = static_cast<std::size_t>(std::max(compressionCheckWindow, 0));
    // Without a threshold every text of some length would count as repetitive.
    if (options.compressionRatioThreshold && progress.tokens.size() > window) {
        const std::vector<int> recent(progress.tokens.end() - static_cast<std::ptrdiff_t>(window),
                                      progress.tokens.end());
        if (TextUtilities::compressionRatio(recent) > *options.compressionRatioThreshold)
            return false;
    }
    if (progress.avgLogprob && options.logProbThreshold && *progress.avgLogprob < *options.logProbThreshold)
        return false;
    return std::nullopt;
}

} // namespace RadozodEri
