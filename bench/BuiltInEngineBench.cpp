// The built-in engine's transcription of a 10 s clip beside the engine
// library's, on the same random English model (its converted folders for the
// one, its file for the other) at the same thread count, the built-in engine
// decoding greedily with the library's fixed policy. Both engines read the
// test tokenizer's pieces, so their texts, and token counts, are the same.
#include "bench/BenchModels.h"

#include "Platform/ML/Ops/ComputeThreads.h"
#include "QelCore/Decoding/WhisperTranscriber.h"
#include "QelCore/Ggml/GgmlWhisperLoader.h"
#include "RadozodEri/Core/RadozodEri.h"
#include "tests/RadozodEri/Core/SpecialTokenMask.h"
#include "tools/ModelFolder/WhisperFolders.h"
#include "tools/TestTokenizer/TestTokenizer.h"

#include <filesystem>
#include <map>
#include <memory>
#include <mutex>

#include <unistd.h>

namespace QelBench {
namespace {

namespace fs = std::filesystem;

// The most tokens one window of the built-in loop decodes after the English
// start sequence.
constexpr int kWindowTokenCap = 221;
constexpr long kClipSamples = 10L * 16000;

// An English random model of the size with the test tokenizer's pieces, its
// folders and that tokenizer, written once per process and removed at exit.
struct EnglishModel {
    fs::path folder, ggml, folders, tokenizer;
    std::unique_ptr<Platform::ML::WhisperModel> model;
    std::shared_ptr<RadozodEri::RadozodEri> engine;
};

class EnglishModels {
public:
    ~EnglishModels()
    {
        std::error_code ignored;
        for (const auto& [size, made] : models_)
            fs::remove_all(made.folder, ignored);
    }

    // Null when the test tokenizer's files are absent.
    EnglishModel* get(ModelSize size)
    {
        std::lock_guard lock(mutex_);
        if (auto found = models_.find(size); found != models_.end())
            return &found->second;
        EnglishModel made;
        made.folder = fs::temp_directory_path() /
                      ("qel-bench-english-" + std::string(modelSizeName(size)) + "-" + std::to_string(::getpid()));
        made.tokenizer = made.folder / "tokenizer";
        if (!QelTools::writeFetchedTestTokenizer(made.tokenizer))
            return nullptr;
        const bool tiny = size == ModelSize::Tiny;
        made.ggml = made.folder / "model.bin";
        QelTools::writeRandomGgmlModel(made.ggml, {.seed = 7,
                                                   .vocab = QelTools::englishVocabularySize,
                                                   .ftype = 1,
                                                   .width = tiny ? 384 : 512,
                                                   .heads = tiny ? 6 : 8,
                                                   .layers = tiny ? 4 : 6,
                                                   .pieces = QelTools::ordinaryPieces(made.tokenizer),
                                                   .tokenEmbeddingSpread = 2.0f});
        made.folders = made.folder / "folders";
        QelTools::convertWhisperModel(made.ggml, made.folders);
        made.model = std::make_unique<Platform::ML::WhisperModel>(QelCore::loadGgmlWhisperModel(made.ggml));
        RadozodEri::RadozodEriConfig config;
        config.modelFolder = made.folders.string();
        config.tokenizerFolder = made.tokenizer;
        config.download = false;
        config.load = true;
        config.verbose = false;
        config.logitsFilters = {{std::make_shared<RandomWhisper::SpecialTokenMask>(
            QelCore::SpecialTokens::forVocabularySize(QelTools::englishVocabularySize).endOfText)}};
        made.engine = RadozodEri::RadozodEri::create(config);
        return &models_.emplace(size, std::move(made)).first->second;
    }

private:
    std::mutex mutex_;
    std::map<ModelSize, EnglishModel> models_;
};

EnglishModel* englishModel(benchmark::State& state)
{
    static EnglishModels models;
    EnglishModel* model = models.get(sizeArgument(state));
    if (!model)
        state.SkipWithError("GPT-2's files are absent: run scripts/fetch-tokenizer-files");
    return model;
}

std::vector<float> clip()
{
    auto audio = benchAudio();
    audio.resize(kClipSamples);
    return audio;
}

void setTextSize(benchmark::State& state, const std::string& text)
{
    state.counters["text_bytes"] = static_cast<double>(text.size());
}

void BM_LibraryTranscriberClip(benchmark::State& state)
{
    EnglishModel* english = englishModel(state);
    if (!english)
        return;
    Platform::ML::setComputeThreads(threadsArgument(state));
    const QelCore::WhisperVocabulary vocabulary(english->model->vocabulary);
    QelCore::WhisperTranscriber transcriber(*english->model, vocabulary);
    const auto audio = clip();
    const QelCore::DecodingSettings settings{.maxTokensPerWindow = kWindowTokenCap};
    std::string text = transcriber.transcribe(audio.data(), kClipSamples, settings);
    for (auto _ : state)
        text = transcriber.transcribe(audio.data(), kClipSamples, settings);
    setTextSize(state, text);
    Platform::ML::setComputeThreads(0);
}

// The options that decode as the library does.
RadozodEri::DecodingOptions libraryPolicy()
{
    RadozodEri::DecodingOptions options;
    options.temperatureFallbackCount = 0;
    options.firstTokenLogProbThreshold.reset();
    options.withoutTimestamps = true;
    options.suppressBlank = true;
    return options;
}

void BM_BuiltInEngineClip(benchmark::State& state)
{
    const auto options = libraryPolicy();
    EnglishModel* english = englishModel(state);
    if (!english)
        return;
    Platform::ML::setComputeThreads(threadsArgument(state));
    const auto audio = clip();
    std::string text = english->engine->transcribe(audio, options, {}, {}).front()->text();
    for (auto _ : state)
        text = english->engine->transcribe(audio, options, {}, {}).front()->text();
    setTextSize(state, text);
    Platform::ML::setComputeThreads(0);
}

BENCHMARK(BM_LibraryTranscriberClip)->Apply(tinyAndBaseAtOneAndAllThreads);
BENCHMARK(BM_BuiltInEngineClip)->Apply(tinyAndBaseAtOneAndAllThreads);

} // namespace
} // namespace QelBench
