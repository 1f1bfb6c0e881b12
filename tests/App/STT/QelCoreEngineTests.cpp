#include "App/STT/ModelFileName.h"
#include "App/STT/QelCoreEngine.h"
#include "App/STT/STTEngineError.h"

#include "App/Doubles/ModelCacheFixture.h"
#include "App/Doubles/ScriptedQelCoreLibrary.h"
#include "Platform/Text/CharacterSets.h"
#include "QelCore/ModelFiles.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using QEL::QelCoreEngine;
using QEL::STTEngineError;
using Phase = QelCoreEngine::ModelLoadPhase;
using testing::ElementsAre;
using testing::HasSubstr;
using testing::StartsWith;

namespace {

class QelCoreEngineTest : public ModelCacheTest {
protected:
    // A new adapter on the scripted library that records its progress reports.
    std::unique_ptr<QelCoreEngine> makeEngine()
    {
        auto engine = std::make_unique<QelCoreEngine>(ScriptedQelCore::library());
        engine->onProgress = [this](Phase phase, double fraction) { progress.emplace_back(phase, fraction); };
        return engine;
    }

    static std::string describeLoadFailure(QelCoreEngine& engine, const std::string& modelName)
    {
        try {
            engine.load(modelName);
        } catch (const std::exception& error) {
            return error.what();
        }
        return "no error";
    }

    ScriptedQelCore library;
    std::vector<std::pair<Phase, double>> progress;
};

} // namespace

TEST(ModelLoadPhase, RawValuesAreTheShownLabels)
{
    const std::pair<Phase, const char*> labels[] = {
        {Phase::downloading, "Downloading model"}, {Phase::compiling, "Compiling for GPU"},
        {Phase::loading, "Loading into memory"},   {Phase::prewarming, "Prewarming"},
        {Phase::ready, "Ready"},
    };
    for (const auto& [phase, label] : labels) {
        EXPECT_EQ(QelCoreEngine::rawValue(phase), label);
        EXPECT_EQ(QelCoreEngine::modelLoadPhase(label), phase);
    }
    EXPECT_EQ(QelCoreEngine::modelLoadPhase("ready"), std::nullopt);
    EXPECT_EQ(QelCoreEngine::modelLoadPhase(""), std::nullopt);
}

TEST_F(QelCoreEngineTest, UnknownModelNameFailsBeforeAnyRequestOrReport)
{
    auto engine = makeEngine();
    EXPECT_EQ(describeLoadFailure(*engine, "distil-whisper_distil-large-v3"),
              "Transcription failed: Unknown model name: distil-whisper_distil-large-v3");
    EXPECT_TRUE(server.requestedPaths().empty());
    EXPECT_TRUE(progress.empty());
    EXPECT_TRUE(library.modelPaths.empty());
    EXPECT_FALSE(engine->isLoaded());
    EXPECT_EQ(engine->modelName(), "distil-whisper_distil-large-v3");
}

TEST_F(QelCoreEngineTest, CachedModelLoadsWithoutNetworkAndReportsEveryPhase)
{
    putInCache("ggml-small.en.bin", "weights");
    auto engine = makeEngine();
    engine->load("openai_whisper-small.en");

    EXPECT_TRUE(server.requestedPaths().empty());
    EXPECT_TRUE(engine->isLoaded());
    EXPECT_EQ(engine->modelName(), "openai_whisper-small.en");
    EXPECT_THAT(library.modelPaths, ElementsAre((cacheFolder() / "ggml-small.en.bin").string()));
    EXPECT_THAT(library.languages, ElementsAre("auto"));
    EXPECT_THAT(library.prompts, ElementsAre(QelCoreEngine::defaultInitialPrompt));
    EXPECT_EQ(library.prewarmCalls, 1);
    EXPECT_THAT(progress, ElementsAre(std::pair{Phase::downloading, 0.0}, std::pair{Phase::loading, 0.6},
                                      std::pair{Phase::prewarming, 0.85}, std::pair{Phase::ready, 1.0}));
}

TEST_F(QelCoreEngineTest, MissingOrEmptyModelIsDownloadedOnceThenServedFromTheCache)
{
    putInCache("ggml-base.bin", ""); // an empty file is what a broken earlier download could leave
    server.respond("/ggml-base.bin", {.body = modelBytes()});
    makeEngine()->load("openai_whisper-base");
    makeEngine()->load("openai_whisper-base");

    EXPECT_THAT(server.requestedPaths(), ElementsAre("/ggml-base.bin"));
    EXPECT_EQ(TestSupport::fileContents(cacheFolder() / "ggml-base.bin"), modelBytes());
    EXPECT_THAT(cachedFiles(), ElementsAre("ggml-base.bin"));
}

TEST_F(QelCoreEngineTest, FailedDownloadLeavesNothingInTheCache)
{
    auto engine = makeEngine();
    const std::string description = describeLoadFailure(*engine, "openai_whisper-tiny.en");

    EXPECT_THAT(description, StartsWith("Transcription failed: Model download HTTP error: "));
    EXPECT_THAT(description, HasSubstr("404"));
    EXPECT_THAT(server.requestedPaths(), ElementsAre("/ggml-tiny.en.bin"));
    EXPECT_TRUE(cachedFiles().empty());
    EXPECT_THAT(progress, ElementsAre(std::pair{Phase::downloading, 0.0}));
    EXPECT_FALSE(engine->isLoaded());
    EXPECT_TRUE(library.modelPaths.empty());
}

TEST_F(QelCoreEngineTest, UnreachableServerFailsTheLoadWithANetworkError)
{
    TestSupport::ScopedEnvironment nowhere{"QEL_MODEL_BASE_URL", "http://127.0.0.1:1/models"};
    auto engine = makeEngine();
    EXPECT_THAT(describeLoadFailure(*engine, "openai_whisper-tiny.en"), HasSubstr("127.0.0.1:1/models/ggml-tiny.en.bin"));
    EXPECT_TRUE(cachedFiles().empty());
    EXPECT_FALSE(engine->isLoaded());
}

TEST_F(QelCoreEngineTest, LibraryEngineFailureLeavesTheAdapterUnloaded)
{
    putInCache("ggml-base.bin", modelBytes());
    library.engineNewFails = true;
    library.lastError = "bad magic";
    {
        auto engine = makeEngine();
        EXPECT_EQ(describeLoadFailure(*engine, "ggml-base.bin"), "Transcription failed: qel_engine_new failed: bad magic");
        library.lastError = nullptr;
        EXPECT_EQ(describeLoadFailure(*engine, "ggml-base.bin"),
                  "Transcription failed: qel_engine_new failed: unknown error");
        EXPECT_FALSE(engine->isLoaded());
        EXPECT_THROW(engine->transcribe({0.1f}), STTEngineError);
    }
    // The file is sound, so the engine refused something else: it stays.
    EXPECT_THAT(cachedFiles(), ElementsAre("ggml-base.bin"));
    EXPECT_EQ(library.enginesFreed, 0);
    EXPECT_TRUE(library.sampleCounts.empty());
}

TEST_F(QelCoreEngineTest, AFailedReloadKeepsNamingTheModelStillLoaded)
{
    putInCache("ggml-base.bin", "weights");
    auto engine = makeEngine();
    engine->load("openai_whisper-base");

    EXPECT_THAT(describeLoadFailure(*engine, "distil-whisper_distil-large-v3"), HasSubstr("Unknown model name"));
    EXPECT_THAT(describeLoadFailure(*engine, "openai_whisper-tiny.en"), HasSubstr("HTTP error"));
    putInCache("ggml-small.en.bin", "weights");
    library.engineNewFails = true;
    EXPECT_THAT(describeLoadFailure(*engine, "openai_whisper-small.en"), HasSubstr("qel_engine_new failed"));

    EXPECT_TRUE(engine->isLoaded());
    EXPECT_EQ(engine->modelName(), "openai_whisper-base");
    EXPECT_EQ(engine->transcribe({0.1f}).text, "hello");
}

TEST_F(QelCoreEngineTest, ACachedModelTheEngineRefusesAsDamagedIsSetAsideAndDownloadedAgain)
{
    putInCache("ggml-base.bin", modelBytes().substr(0, modelBytes().size() - 100));
    library.engineNewFails = true;
    library.lastError = "truncated";
    auto engine = makeEngine();
    const auto aside = cacheFolder() / "ggml-base.bin.damaged";
    EXPECT_EQ(describeLoadFailure(*engine, "ggml-base.bin"),
              "Transcription failed: qel_engine_new failed: truncated; the cached model file is damaged, so it was "
              "moved to " + aside.string() + " and the next load downloads the model again");
    EXPECT_THAT(cachedFiles(), ElementsAre("ggml-base.bin.damaged"));

    library.engineNewFails = false;
    server.respond("/ggml-base.bin", {.body = modelBytes()});
    engine->load("ggml-base.bin");
    EXPECT_TRUE(engine->isLoaded());
    EXPECT_THAT(server.requestedPaths(), ElementsAre("/ggml-base.bin"));
}

// On the real library: a damaged file is set aside, a language the model
// cannot take leaves the sound file where it is.
TEST_F(QelCoreEngineTest, TheRealEngineRefusingAFileOrALanguage)
{
    putInCache("ggml-tiny.en.bin", modelBytes().substr(0, modelBytes().size() / 2));
    QelCoreEngine engine;
    EXPECT_THAT(describeLoadFailure(engine, "openai_whisper-tiny.en"), HasSubstr("is damaged, so it was moved"));
    EXPECT_THAT(cachedFiles(), ElementsAre("ggml-tiny.en.bin.damaged"));

    putInCache("ggml-tiny.en.bin", modelBytes());
    engine.languageHint = "xx";
    EXPECT_EQ(describeLoadFailure(engine, "openai_whisper-tiny.en"),
              "Transcription failed: qel_engine_new failed: Unknown language code 'xx'");
    EXPECT_THAT(cachedFiles(), ElementsAre("ggml-tiny.en.bin", "ggml-tiny.en.bin.damaged"));
}

TEST_F(QelCoreEngineTest, PromptAndPrewarmFailuresOnlyGetLogged)
{
    putInCache("ggml-base.bin", "weights");
    library.promptStatus = 3;
    library.prewarmStatus = -1;
    auto engine = makeEngine();
    engine->initialPrompt = "Words to remember: Zorblax.";
    engine->languageHint = "de";
    engine->load("ggml-base.bin");

    EXPECT_TRUE(engine->isLoaded());
    EXPECT_EQ(progress.back(), (std::pair{Phase::ready, 1.0}));
    EXPECT_THAT(library.prompts, ElementsAre("Words to remember: Zorblax."));
    EXPECT_THAT(library.languages, ElementsAre("de"));
}

TEST_F(QelCoreEngineTest, TranscribeBeforeLoadCallsNothing)
{
    auto engine = makeEngine();
    try {
        engine->transcribe(std::vector<float>(1600, 0.1f));
        FAIL() << "no error";
    } catch (const STTEngineError& error) {
        EXPECT_EQ(error.kind(), STTEngineError::Kind::modelNotLoaded);
        EXPECT_STREQ(error.what(), "No STT model is loaded");
    }
    EXPECT_TRUE(library.sampleCounts.empty());
}

TEST_F(QelCoreEngineTest, TranscriptionIsTrimmedAndEveryTextFreedOnce)
{
    putInCache("ggml-base.bin", "weights");
    struct Case { const char* hint; std::optional<std::string> language; };
    for (const Case& c : {Case{"auto", std::nullopt}, Case{"de", "de"}, Case{"Auto", "Auto"}}) {
        SCOPED_TRACE(c.hint);
        auto engine = makeEngine();
        engine->languageHint = c.hint;
        engine->load("ggml-base.bin");
        library.transcriptText = "  hello world\n";
        const auto result = engine->transcribe(std::vector<float>(3200, 0.2f));
        EXPECT_EQ(result.text, "hello world");
        EXPECT_FALSE(result.isPartial);
        EXPECT_TRUE(result.segments.empty());
        EXPECT_EQ(result.language, c.language);
        EXPECT_GE(result.processingTime, 0.0);
    }
    auto engine = makeEngine();
    engine->load("ggml-base.bin");
    engine->transcribe({});
    EXPECT_THAT(library.sampleCounts, ElementsAre(3200, 3200, 3200, 0));
    EXPECT_EQ(library.textsReturned, 4);
    EXPECT_EQ(library.textsFreed, 4);
}

TEST_F(QelCoreEngineTest, FailedTranscriptionNamesTheLibraryError)
{
    putInCache("ggml-base.bin", "weights");
    auto engine = makeEngine();
    engine->load("ggml-base.bin");
    library.transcriptText = std::nullopt;
    struct Case { const char* lastError; const char* description; };
    for (const Case& c : {Case{"out of memory", "Transcription failed: qel_engine_transcribe failed: out of memory"},
                          Case{nullptr, "Transcription failed: qel_engine_transcribe failed: unknown"}}) {
        library.lastError = c.lastError;
        try {
            engine->transcribe({0.1f});
            ADD_FAILURE() << "no error";
        } catch (const STTEngineError& error) {
            EXPECT_STREQ(error.what(), c.description);
        }
    }
    EXPECT_EQ(library.textsFreed, 0);
}

TEST_F(QelCoreEngineTest, EngineIsFreedOnceAfterTheLastTranscriptionInFlight)
{
    putInCache("ggml-base.bin", "weights");
    auto engine = makeEngine();
    engine->load("ggml-base.bin");
    int freedDuringTranscription = -1;
    library.duringTranscribe = [&] {
        engine->unload();
        freedDuringTranscription = library.enginesFreed;
    };
    EXPECT_EQ(engine->transcribe({0.1f}).text, "hello");
    EXPECT_EQ(freedDuringTranscription, 0);
    EXPECT_EQ(library.enginesFreed, 1);
    library.duringTranscribe = nullptr;
    EXPECT_THROW(engine->transcribe({0.1f}), STTEngineError);
    engine.reset();
    EXPECT_EQ(library.enginesFreed, 1);

    auto released = makeEngine();
    released->load("ggml-base.bin");
    released.reset();
    EXPECT_EQ(library.enginesFreed, 2);
}

TEST_F(QelCoreEngineTest, RunsOnTheLinkedLibraryWithATinyRandomModel)
{
    std::filesystem::create_directories(cacheFolder());
    QelTools::writeRandomGgmlModel(cacheFolder() / "ggml-tiny.en.bin", tinyModel(51864));
    QelCoreEngine engine;
    engine.onProgress = [this](Phase phase, double fraction) { progress.emplace_back(phase, fraction); };
    engine.load("openai_whisper-tiny.en");
    ASSERT_TRUE(engine.isLoaded());
    EXPECT_EQ(progress.back(), (std::pair{Phase::ready, 1.0}));
    EXPECT_TRUE(server.requestedPaths().empty());

    const std::vector<float> audio = toneSamples(1.0, 0);
    const auto first = engine.transcribe(audio);
    const auto second = engine.transcribe(audio);
    EXPECT_EQ(first.text, second.text);
    EXPECT_EQ(first.text, Platform::trimming(first.text, Platform::CharacterSet::whitespacesAndNewlines));
    EXPECT_EQ(first.language, std::nullopt);
    EXPECT_GT(first.processingTime, 0.0);
}
