#pragma once

#include "Platform/ML/WhisperModel.h"
#include "Platform/ML/WhisperTokens.h"

#include <filesystem>
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
    // One silent window, so that pages, caches and BLAS threads are warm.
    void prewarm() const;

private:
    Platform::ML::WhisperModel model_;
    Platform::ML::WhisperVocabulary vocabulary_;
    std::optional<int> language_;
    mutable std::mutex promptMutex_;
    std::vector<int> promptTokens_;
};

} // namespace QelCore
