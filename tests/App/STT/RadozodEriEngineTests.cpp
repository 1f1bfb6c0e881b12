#include "App/STT/RadozodEriEngine.h"
#include "App/STT/STTEngineError.h"

#include "Support/ModelRepositoryHub.h"
#include "Support/TestEnvironment.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <utility>
#include <vector>

using QEL::RadozodEriEngine;
using QEL::STTEngineError;
using Phase = RadozodEriEngine::ModelLoadPhase;
using Report = std::pair<Phase, double>;
using testing::ElementsAre;
using testing::HasSubstr;

namespace {

// A hub that holds one model folder, and a download cache of the test's own.
class RadozodEriEngineTest : public testing::Test {
protected:
    void SetUp() override
    {
        hub.addFile("openai_whisper-tiny.en/config.json", "{}");
        engine.onProgress = [this](Phase phase, double fraction) { reports.emplace_back(phase, fraction); };
    }

    static std::string describeTranscribeFailure(RadozodEriEngine& engine)
    {
        try {
            engine.transcribe(std::vector<float>(1600, 0.1f));
        } catch (const STTEngineError& error) {
            return error.kind() == STTEngineError::Kind::modelNotLoaded ? error.what() : "another engine error";
        }
        return "no error";
    }

    TestSupport::ModelRepositoryHub hub;
    TestSupport::TemporaryFolder documents;
    TestSupport::ScopedEnvironment endpoint{"HUB_ENDPOINT", hub.server.endpoint()};
    TestSupport::ScopedEnvironment cache{"XDG_DOCUMENTS_DIR", documents.path().string()};
    std::vector<Report> reports;
    RadozodEriEngine engine;
};

std::shared_ptr<RadozodEri::TranscriptionResult>
engineResult(std::string text, std::vector<RadozodEri::TranscriptionSegment> segments, std::string language)
{
    return std::make_shared<RadozodEri::TranscriptionResult>(std::move(text), std::move(segments), std::move(language),
                                                             RadozodEri::TranscriptionTimings{});
}

RadozodEri::TranscriptionSegment segment(std::string text, float start, float end)
{
    RadozodEri::TranscriptionSegment made;
    made.text = std::move(text);
    made.start = start;
    made.end = end;
    return made;
}

} // namespace

TEST(RadozodEriEngineLabels, OnlyTheFourLabelsNameAPhase)
{
    for (const Phase phase : {Phase::downloading, Phase::compiling, Phase::loading, Phase::ready})
        EXPECT_EQ(RadozodEriEngine::modelLoadPhase(RadozodEriEngine::rawValue(phase)), phase);
    EXPECT_EQ(RadozodEriEngine::rawValue(Phase::compiling), "Compiling for Neural Engine");
    for (const char* other : {"Prewarming", "ready", "Compiling for GPU", ""})
        EXPECT_EQ(RadozodEriEngine::modelLoadPhase(other), std::nullopt) << other;
}

TEST_F(RadozodEriEngineTest, ALoadFetchesTheFolderAndReportsEveryPhaseInOrder)
{
    EXPECT_EQ(describeTranscribeFailure(engine), "No STT model is loaded");

    engine.load("openai_whisper-tiny.en");
    EXPECT_THAT(reports,
                ElementsAre(Report{Phase::downloading, 0.0}, Report{Phase::downloading, 0.3},
                            Report{Phase::compiling, 0.7}, Report{Phase::loading, 0.9}, Report{Phase::ready, 1.0}));
    EXPECT_TRUE(engine.isLoaded());
    EXPECT_EQ(engine.modelName(), "openai_whisper-tiny.en");
    EXPECT_THAT(hub.downloaded(), ElementsAre("openai_whisper-tiny.en/config.json"));

    // Unloading drops the engine: transcriptions fail until the next load.
    engine.unload();
    EXPECT_FALSE(engine.isLoaded());
    EXPECT_EQ(describeTranscribeFailure(engine), "No STT model is loaded");
}

TEST_F(RadozodEriEngineTest, AFailedLoadReportsOnlyTheStartThrowsTheEnginesErrorAndLeavesNoEngine)
{
    try {
        engine.load("openai_whisper-large-v9");
        FAIL() << "no error";
    } catch (const STTEngineError&) {
        FAIL() << "the engine's own error is passed on";
    } catch (const std::exception& error) {
        EXPECT_THAT(error.what(), HasSubstr("Model not found."));
    }
    EXPECT_THAT(reports, ElementsAre(Report{Phase::downloading, 0.0}, Report{Phase::downloading, 0.3}));
    EXPECT_FALSE(engine.isLoaded());
    EXPECT_EQ(engine.modelName(), "openai_whisper-large-v9");
    EXPECT_EQ(describeTranscribeFailure(engine), "No STT model is loaded");
}

TEST(RadozodEriEngineOptions, TheEngineIsBuiltToFetchTheNamedModelAndLoadItLater)
{
    const auto config = RadozodEriEngine::engineConfig("openai_whisper-small.en");
    EXPECT_EQ(config.model, "openai_whisper-small.en");
    EXPECT_FALSE(config.modelFolder || config.downloadBase || config.modelRepo || config.modelEndpoint ||
                 config.tokenizerFolder || config.computeOptions || config.logitsFilters);
    EXPECT_FALSE(config.textDecoder || config.audioEncoder || config.featureExtractor || config.segmentSeeker);
    EXPECT_EQ(config.load, std::nullopt);
    EXPECT_EQ(config.prewarm, std::nullopt);
    EXPECT_TRUE(config.download);
    EXPECT_TRUE(config.verbose);
    EXPECT_EQ(config.logLevel, RuntimeCore::LogLevel::debug);
}

// The utterance options differ from the engine's defaults only in word
// timings and, for a language code, the language.
TEST(RadozodEriEngineOptions, AutoLeavesTheLanguageOutAndDetectionOff)
{
    RadozodEriEngine engine;
    RadozodEri::DecodingOptions expected;
    expected.wordTimestamps = true;
    EXPECT_EQ(engine.decodingOptions(), expected);
    EXPECT_FALSE(engine.decodingOptions().detectLanguage);

    engine.languageHint = "de";
    expected.language = "de";
    EXPECT_EQ(engine.decodingOptions(), expected);
    engine.languageHint = "Auto";
    EXPECT_EQ(engine.decodingOptions().language, "Auto");
}

TEST(RadozodEriEngineResults, TheFirstResultsTextIsTrimmedAndItsSegmentsKeptAsTheyAre)
{
    const RadozodEri::RadozodEri::TranscriptionResults results{
        engineResult(" Hello there.\n", {segment(" Hello", 0.0f, 1.5f), segment(" there.", 1.5f, 2.25f)}, "en"),
        engineResult("ignored", {segment("ignored", 0, 1)}, "de")};
    const auto result = RadozodEriEngine::firstResult(results, 0.25);
    EXPECT_EQ(result.text, "Hello there.");
    EXPECT_FALSE(result.isPartial);
    EXPECT_THAT(result.segments, ElementsAre(QEL::TranscriptionSegment{" Hello", 0.0, 1.5},
                                             QEL::TranscriptionSegment{" there.", 1.5, 2.25}));
    EXPECT_EQ(result.language, "en");
    EXPECT_EQ(result.processingTime, 0.25);

    EXPECT_EQ(RadozodEriEngine::firstResult({}, 0.25), QEL::QELTranscriptionResult::empty);
}
