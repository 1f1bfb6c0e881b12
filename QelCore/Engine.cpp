#include "QelCore/Engine.h"

#include "Platform/ML/Ops/ComputeThreads.h"
#include "QelCore/Ggml/GgmlWhisperLoader.h"

namespace QelCore {

using Platform::ML::ComputeThreadShare;

Engine::Engine(const std::filesystem::path& modelPath, std::string_view language)
    : model_(loadGgmlWhisperModel(modelPath)), vocabulary_(model_.vocabulary),
      language_(languageSetting(language, SpecialTokens::forVocabularySize(model_.hparams.nVocab)))
{
}

void Engine::setInitialPrompt(std::string_view prompt)
{
    auto tokens = vocabulary_.tokenize(prompt);
    std::lock_guard lock(promptMutex_);
    promptTokens_ = std::move(tokens);
}

std::string Engine::transcribe(const float* samples, long count) const
{
    if (count == 0)
        return {};
    return run(samples, count, 0);
}

std::string Engine::run(const float* samples, long count, int maxTokensPerWindow) const
{
    std::vector<int> prompt;
    {
        std::lock_guard lock(promptMutex_);
        prompt = promptTokens_;
    }
    ComputeThreadShare share;
    auto transcriber = takeTranscriber();
    DecodingSettings settings;
    settings.language = language_;
    settings.prompt = prompt;
    settings.maxTokensPerWindow = maxTokensPerWindow;
    std::string text = transcriber->transcribe(samples, count, settings);
    returnTranscriber(std::move(transcriber));
    return text;
}

std::unique_ptr<WhisperTranscriber> Engine::takeTranscriber() const
{
    {
        std::lock_guard lock(idleMutex_);
        if (idle_)
            return std::move(idle_);
    }
    return std::make_unique<WhisperTranscriber>(model_, vocabulary_);
}

void Engine::returnTranscriber(std::unique_ptr<WhisperTranscriber> transcriber) const
{
    // Between utterances the application sits idle far longer than it
    // transcribes: the window's mel and encoder output go back to the
    // system, and taking them again costs the next call a few page faults.
    transcriber->releaseWindowBuffers();
    std::lock_guard lock(idleMutex_);
    if (!idle_)
        idle_ = std::move(transcriber);
}

void Engine::prewarm() const
{
    // The encoder runs a whole window however short the clip; a few tokens
    // then run every decoder kernel and read every weight once.
    constexpr int kPrewarmTokens = 3;
    const std::vector<float> silence(static_cast<size_t>(Platform::ML::kSampleRate), 0.0f);
    run(silence.data(), static_cast<long>(silence.size()), kPrewarmTokens);
}

} // namespace QelCore
