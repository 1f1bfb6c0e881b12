#pragma once

#include "Platform/ML/Whisper/MelSpectrogram.h"
#include "Platform/ML/Whisper/WhisperDecoder.h"
#include "Platform/ML/Whisper/WhisperEncoder.h"
#include "Platform/ML/Whisper/WhisperModel.h"
#include "QelCore/Decoding/GreedyDecoding.h"
#include "QelCore/Decoding/WhisperTokens.h"

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace QelCore {

using Platform::ML::WhisperModel;

struct DecodingSettings {
    // The language to transcribe in, as an index into Platform::ML::whisperLanguages();
    // nothing means detect it from the first window. Ignored by English-only models.
    std::optional<int> language;
    // Tokens that prime recognition; only the most recent ones that fit are used.
    std::span<const int> prompt;
    // At most this many tokens per window; 0 means half the text context.
    int maxTokensPerWindow = 0;
};

// Sees the intermediate results of a transcription, for inspection tools.
class TranscriptionObserver {
public:
    virtual ~TranscriptionObserver() = default;
    virtual void melComputed(int /*window*/, const float* /*mel*/) {}
    virtual void encoderFinished(int /*window*/, const float* /*output*/) {}
    // The logits before any suppression, once per chosen token.
    virtual void logitsComputed(int /*window*/, const float* /*logits*/) {}
    virtual void tokenChosen(int /*window*/, int /*token*/) {}
};

// Greedy transcription of consecutive windows without timestamps. One
// transcriber holds the buffers of one call: create one per call (or per
// thread) over a shared read-only model. Decoding a token allocates nothing.
class WhisperTranscriber {
public:
    WhisperTranscriber(const WhisperModel& model, const WhisperVocabulary& vocabulary);
    // Its caches point into its own memory.
    WhisperTranscriber(const WhisperTranscriber&) = delete;
    WhisperTranscriber& operator=(const WhisperTranscriber&) = delete;

    std::string transcribe(const float* samples, long count, const DecodingSettings& settings,
                           TranscriptionObserver* observer = nullptr);

    // The language detected by the last transcription, if any.
    std::optional<int> detectedLanguage() const { return detectedLanguage_; }

    // Gives back the window's mel and encoder output between transcriptions;
    // the next one takes them again.
    void releaseWindowBuffers();

private:
    int detectLanguage();
    int buildPrefix(const DecodingSettings& settings, int language);
    // Runs tokens from firstPosition on as one batch and adds their keys and
    // values to the cache; the last one's logits go to `logits` when given,
    // and it throws when any of them is not a finite number.
    void runTokens(std::span<const int> tokens, int firstPosition, float* logits);
    void decodeWindow(int window, const DecodingSettings& settings, int language, TranscriptionObserver* observer,
                      std::string& text);

    const WhisperModel& model_;
    const WhisperVocabulary& vocabulary_;
    SpecialTokens special_;
    GreedyChoice greedy_;
    Platform::ML::MelSpectrogram mel_;
    Platform::ML::WhisperEncoder encoder_;
    Platform::ML::WhisperDecoder decoder_;
    Platform::LargeVector<float> melBuffer_;
    Platform::LargeVector<float> encoderOutput_;
    // One window's memory: the encoder's scratch while it runs, then the
    // cross-attention keys and values and the self-attention cache, all of
    // which a window is done with before the next one's encoder starts.
    Platform::LargeVector<std::byte> window_;
    Platform::ML::Float16* crossKeys_;
    Platform::ML::Float16* crossValues_;
    // [layer][nTextCtx][nTextState], as halves: every token reads them all.
    Platform::ML::Float16* keys_;
    Platform::ML::Float16* values_;
    std::vector<float> newKeys_, newValues_; // [layer][batch][nTextState]
    std::vector<float> logits_;
    std::vector<int> prefix_;
    std::vector<int> tokens_;
    std::optional<int> detectedLanguage_;
};

} // namespace QelCore
