#pragma once

// Live transcription of the microphone: while recording, the audio heard since
// the last confirmed point is transcribed again and again, and segments become
// confirmed text once enough later segments follow them.

#include "Platform/Concurrency/WorkerPool.h"
#include "RadozodEri/Core/Audio/AudioProcessing.h"
#include "RadozodEri/Core/AudioEncoder.h"
#include "RadozodEri/Core/DecodingOptions.h"
#include "RadozodEri/Core/FeatureExtractor.h"
#include "RadozodEri/Core/Text/SegmentSeeking.h"
#include "RadozodEri/Core/TextDecoding.h"
#include "RadozodEri/Core/TranscribeTask.h"
#include "RadozodEri/Core/TranscriptionProgress.h"
#include "RadozodEri/Core/TranscriptionResult.h"
#include "RadozodEri/Core/TranscriptionSegment.h"
#include "RadozodEri/Core/WhisperTokenizer.h"

#include <condition_variable>
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace RadozodEri {

class AudioStreamTranscriber {
public:
    // Everything the transcriber knows, handed whole to the state callback.
    struct State {
        // Recording and the transcription loop are active.
        bool isRecording = false;
        // The decoding fallbacks the decoder last reported.
        int currentFallbacks = 0;
        // Samples buffered when the last transcription started.
        std::int64_t lastBufferSize = 0;
        // Where transcription starts again, in seconds of the recording.
        float lastConfirmedSegmentEndSeconds = 0;
        // One relative energy per captured buffer.
        std::vector<float> bufferEnergy;
        // The decoding in progress, or "Waiting for speech...".
        std::string currentText;
        std::vector<TranscriptionSegment> confirmedSegments;
        std::vector<TranscriptionSegment> unconfirmedSegments;
        // Earlier texts of the decoding in progress, set aside when its text
        // started over without a fallback.
        std::vector<std::string> unconfirmedText;

        bool operator==(const State&) const = default;
    };

    using StateChangeCallback = std::function<void(const State& oldState, const State& newState)>;

    // `stateChangeCallback` hears every change of the state, with the record
    // before and after it, in the order of the changes, outside the state's
    // lock (so it may read state() and stop the transcriber).
    AudioStreamTranscriber(std::shared_ptr<AudioEncoding> audioEncoder,
                           std::shared_ptr<FeatureExtracting> featureExtractor,
                           std::shared_ptr<SegmentSeeking> segmentSeeker, std::shared_ptr<TextDecoding> textDecoder,
                           std::shared_ptr<const WhisperTokenizer> tokenizer,
                           std::shared_ptr<AudioProcessing> audioProcessor, DecodingOptions decodingOptions,
                           int requiredSegmentsForConfirmation, float silenceThreshold, int compressionCheckWindow,
                           bool useVAD, StateChangeCallback stateChangeCallback = {});
    // Stops recording and waits for the loop's current pass.
    virtual ~AudioStreamTranscriber();
    AudioStreamTranscriber(const AudioStreamTranscriber&) = delete;
    AudioStreamTranscriber& operator=(const AudioStreamTranscriber&) = delete;

    State state() const;

    // Asks for the microphone, starts recording from the default input and
    // the transcription loop on a thread of its own. The future is ready when
    // streaming has ended: after stopStreamTranscription(), or after a pass
    // of the loop failed (logged; the microphone then records on until the
    // stop). Already recording, or microphone access refused (logged): a
    // ready future. Throws what starting the microphone throws, recording
    // still set.
    std::future<void> startStreamTranscription();
    // Stops the microphone; the loop ends after its current pass.
    void stopStreamTranscription();

    // The decoder's answer to a progress report: false stops the decoding
    // when the last `compressionCheckWindow` tokens compress beyond the
    // options' threshold (no threshold, no such test) or the average log
    // probability is below the options' threshold; nothing otherwise.
    static std::optional<bool> shouldStopEarly(const TranscriptionProgress& progress, const DecodingOptions& options,
                                               int compressionCheckWindow);

protected:
    // One transcription of the whole buffer from the last confirmed end on.
    virtual std::shared_ptr<TranscriptionResult> transcribeAudioSamples(const std::vector<float>& samples);

private:
    // Hands captured buffers and progress reports over to the update thread
    // while the transcriber lives.
    struct Mailbox;

    void updateState(const std::function<void(State&)>& change);
    void runLoop(std::promise<void> ended);
    void transcribeCurrentBuffer();
    void processTranscriptionResult(const TranscriptionResult& result);
    void onAudioBufferCallback();
    void onProgressCallback(const TranscriptionProgress& progress);
    void waitForSpeech();
    // 100 ms, or until recording stops.
    void pause();

    std::shared_ptr<TranscribeTask> transcribeTask_;
    std::shared_ptr<AudioProcessing> audioProcessor_;
    const DecodingOptions decodingOptions_;
    const int requiredSegmentsForConfirmation_;
    const float silenceThreshold_;
    const int compressionCheckWindow_;
    const bool useVAD_;
    const StateChangeCallback stateChangeCallback_;

    mutable std::mutex stateMutex_;
    std::condition_variable recordingChanged_;
    State state_;
    // Keeps the callbacks in the order of the changes; recursive so that a
    // callback may change the state again.
    std::recursive_mutex callbackOrder_;

    std::mutex loopMutex_;
    std::jthread loop_;
    std::shared_ptr<Mailbox> mailbox_;
    // Last: its pending updates run while everything else still exists.
    Platform::WorkerPool updates_{1};
};

} // namespace RadozodEri
