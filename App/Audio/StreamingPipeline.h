#pragma once

#include "App/Audio/RingBuffer.h"
#include "App/Insertion/TextInserting.h"
#include "App/Processing/TextProcessor.h"
#include "App/STT/STTEngine.h"
#include "App/VAD/VoiceActivityDetector.h"
#include "Platform/Concurrency/WorkerPool.h"

#include <chrono>
#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace QEL {

// Turns the stream of 100 ms microphone frames into utterances and drives each
// through the engine, the text processor and then a voice command or the
// inserter.
//
// Per-frame work (level, pre-roll, voice detection, buffer growth) runs on the
// thread that delivers frames; start(), stop() and processAudioBuffer() must all
// be called from that one thread. Engine work runs on a small worker pool:
// final transcriptions (end points, forced flushes, stop) go through one
// first-in-first-out queue and run one at a time, in order, so no utterance is
// dropped or overtaken; beside them at most one preview runs.
class StreamingPipeline {
public:
    static constexpr size_t sampleRate = 16000;
    static constexpr size_t maxSpeechBufferSamples = 160000;  // forced flush at 10 s
    static constexpr size_t partialThresholdSamples = 80000;  // previews from 5 s
    static constexpr double preRollSeconds = 0.5;
    static constexpr float noiseGateRMS = 0.005f;

    StreamingPipeline(std::unique_ptr<VoiceActivityDetector> vad, std::shared_ptr<STTEngine> engine,
                      std::unique_ptr<TextProcessor> processor, std::shared_ptr<TextInserting> inserter);
    // Runs every transcription already queued before returning.
    ~StreamingPipeline();

    StreamingPipeline(const StreamingPipeline&) = delete;
    StreamingPipeline& operator=(const StreamingPipeline&) = delete;

    // Set before start(). onAudioLevel and onSpeechStateChange are called on the
    // frame thread, the others on worker threads.
    std::function<void(const ProcessedResult&)> onTranscript;
    std::function<void(const std::string&)> onPartialTranscript;
    std::function<void(float level)> onAudioLevel;
    std::function<void(bool isSpeaking)> onSpeechStateChange;
    std::function<void(const std::exception&)> onError;
    std::function<void(double milliseconds)> onLatencyReport;

    void start();
    // Hands any buffered speech to the transcription queue.
    void stop();
    // NaN and infinite samples in the frame count as silence.
    void processAudioBuffer(const std::vector<float>& frame);

    // Waits until every queued final transcription has finished; false when the
    // time limit passed first.
    bool waitUntilIdle(std::chrono::milliseconds timeLimit);

    // For the end of the program: texts still to come are reported but not
    // inserted, and an insertion under way stops early. Any thread.
    void stopInserting();
    // Drops the final transcriptions that wait in the queue and have not
    // started; returns how many samples of audio they held. Any thread.
    std::size_t discardQueuedAudio();
    // Runs the transcriptions still queued, waits for those running, and ends
    // the worker threads; afterwards no work runs and none is taken. Not on a
    // worker thread, nor on the main thread while an insertion may wait for it.
    void finish();

    // True while a final transcription runs or waits in the queue.
    bool isTranscribing() const;
    double lastTranscriptionLatencyMs() const;
    int totalTranscriptions() const;

private:
    struct QueuedTranscription {
        std::vector<float> audio;
        bool isPartial; // a forced flush of an utterance still in progress
    };

    void processFiniteFrame(const std::vector<float>& frame);
    void handleSpeechFrame(const std::vector<float>& frame);
    void handleEndpoint(const std::vector<float>& frame);
    // Previews an utterance from 5 s and flushes it at 10 s, whatever its
    // frames are: a long quiet stretch under a long silence limit counts too.
    void handleLongUtterance();
    void enqueueTranscription(std::vector<float> audio, bool isPartial);
    void startPreviewIfIdle();
    void runQueuedTranscriptions();
    void runPreview(const std::vector<float>& audio);
    void transcribeAndInsert(const std::vector<float>& audio, bool isPartial);
    void insert(const ProcessedResult& processed);
    void reportEngineFailure(const std::exception& error);

    std::unique_ptr<VoiceActivityDetector> vad_;
    std::shared_ptr<STTEngine> engine_;
    std::unique_ptr<TextProcessor> processor_;
    std::shared_ptr<TextInserting> inserter_;

    // Frame thread only.
    std::vector<float> speechBuffer_;
    RingBuffer<float> preSpeechBuffer_{preRollSeconds, static_cast<double>(sampleRate)};
    bool isActive_ = false;
    long frameCount_ = 0;
    long lastLogFrame_ = 0;

    // Shared between the frame thread and the workers.
    mutable std::mutex mutex_;
    std::condition_variable queueDrained_;
    std::deque<QueuedTranscription> queue_;
    bool isDrainingQueue_ = false;
    bool isPreviewRunning_ = false;
    bool isFinished_ = false;
    std::mutex finishing_;
    std::atomic<bool> isInsertionStopped_ = false;
    double lastTranscriptionLatencyMs_ = 0;
    int totalTranscriptions_ = 0;

    // Last, so that it is destroyed first: its threads finish their jobs while
    // everything they use is still alive. One thread drains the queue, the
    // other runs the preview, so a preview never delays a final transcription.
    // Gone once finish() has run.
    std::optional<Platform::WorkerPool> workers_{std::in_place, 2};
};

} // namespace QEL
