#pragma once

#include "Platform/ML/Whisper/WhisperModel.h"
#include "QelCore/Decoding/WhisperTokens.h"
#include "QelCore/Decoding/WhisperTranscriber.h"

#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace QelCore {

// One loaded model with its language and prompt. The model is read-only, so
// transcriptions may run on any number of threads at once; each call owns
// its buffers.
class Engine {
public:
    // Throws with a description when the file or the language is unusable.
    Engine(const std::filesystem::path& modelPath, std::string_view language);

    void setInitialPrompt(std::string_view prompt);
    std::string transcribe(const float* samples, long count) const;
    // A short silent clip and a few tokens, so that pages, caches and threads
    // are warm.
    void prewarm() const;

private:
    // Transcribes with the current prompt; 0 tokens per window means the default.
    std::string run(const float* samples, long count, int maxTokensPerWindow) const;
    std::unique_ptr<WhisperTranscriber> takeTranscriber() const;
    void returnTranscriber(std::unique_ptr<WhisperTranscriber> transcriber) const;

    Platform::ML::WhisperModel model_;
    WhisperVocabulary vocabulary_;
    std::optional<int> language_;
    mutable std::mutex promptMutex_;
    std::vector<int> promptTokens_;
    // One call's transcriber kept for the next call (the prewarmed one at
    // first) without its mel and encoder output; calls that overlap it get one of
    // their own, freed after.
    mutable std::mutex idleMutex_;
    mutable std::unique_ptr<WhisperTranscriber> idle_;
};

} // namespace QelCore
