// The engine loading a base-sized folder set and the test tokenizer, beside
// loading the same folders and building the same tokenizer directly; and the
// engine setting itself up from a loopback hub, beside the hub client
// fetching the same files alone.
#include "bench/BenchModels.h"

#include "Hub/Api/HubApi.h"
#include "RadozodEri/Core/RadozodEri.h"
#include "RadozodEri/Core/WhisperTokenizerWrapper.h"
#include "Support/ModelRepositoryHub.h"
#include "Support/TestEnvironment.h"
#include "Tokenizers/AutoTokenizer.h"
#include "tools/ModelFolder/WhisperFolders.h"
#include "tools/TestTokenizer/TestTokenizer.h"

#include <memory>

namespace QelBench {
namespace {

using Platform::CoreML::MLMultiArrayDataType;

// The English test tokenizer, written once per process; empty without GPT-2's files.
const std::optional<std::filesystem::path>& tokenizerFolder()
{
    static const auto folder = std::make_unique<TestSupport::TemporaryFolder>();
    static const std::optional<std::filesystem::path> written =
        QelTools::writeFetchedTestTokenizer(folder->path()) ? std::optional(folder->path()) : std::nullopt;
    return written;
}

std::shared_ptr<RadozodEri::RadozodEri> localEngine()
{
    RadozodEri::RadozodEriConfig config;
    config.modelFolder = benchFolders(ModelSize::Base, MLMultiArrayDataType::float16).string();
    config.tokenizerFolder = tokenizerFolder();
    config.load = false;
    config.download = false;
    config.verbose = false;
    return RadozodEri::RadozodEri::create(config);
}

void BM_EngineLoadModels(benchmark::State& state)
{
    if (!tokenizerFolder())
        return state.SkipWithError("GPT-2's files are absent");
    for (auto _ : state) {
        state.PauseTiming();
        auto engine = localEngine();
        state.ResumeTiming();
        engine->loadModels();
        state.PauseTiming();
        engine.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_EngineLoadModels)->Unit(benchmark::kMillisecond)->UseRealTime();

// The least the engine's load can take: its three models and its tokenizer.
void BM_DirectModelAndTokenizerLoads(benchmark::State& state)
{
    if (!tokenizerFolder())
        return state.SkipWithError("GPT-2's files are absent");
    const auto& folders = benchFolders(ModelSize::Base, MLMultiArrayDataType::float16);
    auto loadAll = [&] {
        std::vector<std::shared_ptr<const Platform::CoreML::MLModel>> models;
        for (const auto name :
             {QelTools::kMelSpectrogramFolder, QelTools::kTextDecoderFolder, QelTools::kAudioEncoderFolder})
            models.push_back(Platform::CoreML::MLModel::load(folders / name));
        auto tokenizer = std::make_shared<RadozodEri::WhisperTokenizerWrapper>(
            Tokenizers::AutoTokenizer::from(*tokenizerFolder(), true), tokenizerFolder());
        return std::pair(models, tokenizer);
    };
    for (auto _ : state)
        benchmark::DoNotOptimize(loadAll());
}
BENCHMARK(BM_DirectModelAndTokenizerLoads)->Unit(benchmark::kMillisecond)->UseRealTime();

// A loopback hub serving the tiny-sized folder set as the engine's model.
TestSupport::ModelRepositoryHub& tinyHub()
{
    static auto* hub = [] {
        auto* made = new TestSupport::ModelRepositoryHub;
        made->addFolder("openai_whisper-tiny", benchFolders(ModelSize::Tiny, MLMultiArrayDataType::float16));
        return made;
    }();
    return *hub;
}

void BM_EngineSetupDownload(benchmark::State& state)
{
    auto& hub = tinyHub();
    // The previous pass's cache is removed while the clock stands.
    std::optional<TestSupport::TemporaryFolder> cache;
    for (auto _ : state) {
        state.PauseTiming();
        cache.emplace();
        RadozodEri::RadozodEriConfig config;
        config.model = "tiny";
        config.downloadBase = cache->path();
        config.modelEndpoint = hub.server.endpoint();
        config.modelToken = "";
        config.verbose = false;
        state.ResumeTiming();
        benchmark::DoNotOptimize(RadozodEri::RadozodEri::create(config));
    }
}
BENCHMARK(BM_EngineSetupDownload)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_HubSnapshotDownload(benchmark::State& state)
{
    auto& hub = tinyHub();
    // The previous pass's cache is removed while the clock stands.
    std::optional<TestSupport::TemporaryFolder> cache;
    for (auto _ : state) {
        state.PauseTiming();
        cache.emplace();
        const Hub::HubApi client(cache->path(), std::string(), hub.server.endpoint());
        state.ResumeTiming();
        benchmark::DoNotOptimize(client.snapshot(Hub::Repo{TestSupport::ModelRepositoryHub::modelRepository}, "main",
                                                 std::vector<std::string>{"*tiny/*"}));
    }
}
BENCHMARK(BM_HubSnapshotDownload)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
} // namespace QelBench
