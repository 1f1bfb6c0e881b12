#include "QelCore/Engine.h"

#include "Platform/ML/BlasThreads.h"
#include "Platform/ML/GgmlWhisperLoader.h"
#include "Platform/ML/WhisperTranscriber.h"

namespace QelCore {

using namespace Platform::ML;

Engine::Engine(const std::filesystem::path& modelPath, std::string_view language)
    : model_(loadGgmlWhisperModel(modelPath)),
      vocabulary_(model_.vocabulary),
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
    std::vector<int> prompt;
    {
        std::lock_guard lock(promptMutex_);
        prompt = promptTokens_;
    }
    BlasThreadShare share;
    WhisperTranscriber transcriber(model_, vocabulary_);
    DecodingSettings settings;
    settings.language = language_;
    settings.prompt = prompt;
    return transcriber.transcribe(samples, count, settings);
}

void Engine::prewarm() const
{
    const std::vector<float> silence(static_cast<size_t>(model_.windowSamples()), 0.0f);
    transcribe(silence.data(), static_cast<long>(silence.size()));
}

} // namespace QelCore
