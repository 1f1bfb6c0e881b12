#pragma once

// One transcription of one audio array: the window loop that cuts, encodes,
// decodes (retrying at higher temperatures) and segments the audio window by
// window, and the assembly of its result.

#include "Platform/Progress/Progress.h"
#include "RadozodEri/Core/Audio/AudioProcessing.h"
#include "RadozodEri/Core/AudioEncoder.h"
#include "RadozodEri/Core/DecodingOptions.h"
#include "RadozodEri/Core/FeatureExtractor.h"
#include "RadozodEri/Core/Text/SegmentSeeking.h"
#include "RadozodEri/Core/TextDecoding.h"
#include "RadozodEri/Core/TranscriptionResult.h"
#include "RadozodEri/Core/TranscriptionTimings.h"
#include "RadozodEri/Core/WhisperTokenizer.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <stop_token>
#include <string>
#include <vector>

namespace RadozodEri {

// The task shares the engine's stages with the other tasks of the engine and
// owns its timings and progress. Progress reports reach the caller only while
// the task is owned by a std::shared_ptr, since the decoder delivers them
// after the step that made them and they read the task's timings.
class TranscribeTask : public std::enable_shared_from_this<TranscribeTask> {
public:
    using SegmentDiscoveryCallback = std::function<void(const std::vector<TranscriptionSegment>&)>;

    // A missing progress or audio processor is made anew.
    TranscribeTask(TranscriptionTimings currentTimings, std::shared_ptr<Platform::Progress> progress,
                   std::shared_ptr<AudioProcessing> audioProcessor, std::shared_ptr<AudioEncoding> audioEncoder,
                   std::shared_ptr<FeatureExtracting> featureExtractor, std::shared_ptr<SegmentSeeking> segmentSeeker,
                   std::shared_ptr<TextDecoding> textDecoder, std::shared_ptr<const WhisperTokenizer> tokenizer);
    virtual ~TranscribeTask() = default;
    TranscribeTask(const TranscribeTask&) = delete;
    TranscribeTask& operator=(const TranscribeTask&) = delete;

    std::shared_ptr<const WhisperTokenizer> tokenizer;
    // Told about the segments of each window that has some.
    SegmentDiscoveryCallback segmentDiscoveryCallback;

    // A copy; safe to take while run() updates them.
    TranscriptionTimings timings() const;
    const std::shared_ptr<Platform::Progress>& progress() const { return progress_; }

    // Transcribes the samples window by window. `callback` hears every
    // decoded token; answering false ends the current window early, and the
    // loop goes on with the next. A stop requested through `stop` ends the
    // run with RuntimeCore::CancellationError after a window's audio, after
    // its features or before its decoding. One run at a time per task;
    // every run adds to the same timings.
    virtual std::shared_ptr<TranscriptionResult> run(const std::vector<float>& audioArray,
                                                     const std::optional<DecodingOptions>& decodeOptions,
                                                     const ProgressCallback& callback = {}, std::stop_token stop = {});

    // Hooks for subclasses: the padded audio of a window before its features
    // are made, and the segments of a window before they are reported and
    // kept. The base class changes nothing.
    virtual void windowPreprocess(const AudioProcessorOutputType& paddedAudio, std::int64_t seek,
                                  std::int64_t segmentSize);
    virtual std::vector<TranscriptionSegment> windowPostProcess(std::int64_t seek, std::int64_t segmentSize,
                                                                std::vector<TranscriptionSegment> originalSegments);

    // The text of the tokens below the special ones, trimmed of spaces and
    // tabs (not of line breaks), with the segments, the language ("en" when
    // none was found) and the timings.
    virtual std::shared_ptr<TranscriptionResult> finalizeTranscriptionResult(const std::vector<int>& tokens,
                                                                             std::vector<TranscriptionSegment> segments,
                                                                             const std::optional<std::string>& language,
                                                                             const TranscriptionTimings& timings);

protected:
    // What one run keeps from window to window, shared with the fallback
    // decoding of each window.
    struct RunState {
        // The options the caller gave, absent when none were given.
        std::optional<DecodingOptions> callerOptions;
        std::shared_ptr<DecodingInputs> decoderInputs;
        int prefilledCacheSize = 0;
        std::optional<std::string> detectedLanguage;
        int fallbackCount = 0;

        // The token budget every reset of the inputs restores.
        int maxTokenContext() const;
    };

    // Decodes one window at temperature 0, then at each higher temperature of
    // the options' ladder while the result asks for a retry; returns the last
    // result, which still asks for one when every attempt did.
    // WhisperError decodingFailed when the ladder is empty.
    DecodingResult decodeWithFallback(const AudioEncoderOutputType& encoderSegment,
                                      const DecodingOptions& decodingOptions, const ProgressCallback& callback,
                                      RunState& state);

    void updateTimings(const std::function<void(TranscriptionTimings&)>& update);

    // The callback the decoder hears for one window: the caller's, with the
    // window's id set from the task's timings; it answers nothing once the
    // task is gone.
    ProgressCallback progressWrapper(const ProgressCallback& callback);

private:
    std::shared_ptr<Platform::Progress> progress_;
    std::shared_ptr<AudioEncoding> audioEncoder_;
    std::shared_ptr<FeatureExtracting> featureExtractor_;
    std::shared_ptr<SegmentSeeking> segmentSeeker_;
    std::shared_ptr<TextDecoding> textDecoder_;
    std::shared_ptr<AudioProcessing> audioProcessor_;

    // Progress reports read the timings from the decoder's threads.
    mutable std::mutex timingsMutex_;
    TranscriptionTimings timings_;
};

} // namespace RadozodEri
