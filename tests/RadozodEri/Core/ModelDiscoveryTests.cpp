#include "RadozodEri/Core/Constants.h"
#include "RadozodEri/Core/RadozodEri.h"
#include "RadozodEri/Utilities/ModelUtilities.h"
#include "RadozodEri/Utilities/WhisperError.h"
#include "Support/LogCapture.h"
#include "Support/ModelRepositoryHub.h"
#include "Support/TestEnvironment.h"
#include "tools/ModelFolder/WhisperFolders.h"
#include "tools/TestTokenizer/TestTokenizer.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using Engine = RadozodEri::RadozodEri;
using testing::Contains;
using testing::ElementsAre;
using testing::StartsWith;
using testing::UnorderedElementsAre;

namespace {

class ModelDiscovery : public testing::Test {
protected:
    static constexpr const char* repo = TestSupport::ModelRepositoryHub::modelRepository;

    // A table whose only row is this machine's.
    static std::string supportTable()
    {
        return R"({"name":"test-table","version":"1","device_support":[{"identifiers":[")" + Engine::deviceName() +
               R"("],"models":{"default":"openai_whisper-tiny","supported":["openai_whisper-tiny",)"
               R"("openai_whisper-base","distil-whisper_tiny"]}}]})";
    }

    std::filesystem::path download(const std::string& variant)
    {
        return Engine::download(variant, cache(), false, repo, std::string(), hub.server.endpoint());
    }

    std::string downloadFailure(const std::string& variant)
    {
        try {
            download(variant);
        } catch (const RadozodEri::WhisperError& error) {
            return error.what();
        }
        return "no error";
    }

    RadozodEri::ModelSupportConfig fetchConfig(const std::string& name = "config.json")
    {
        return Engine::fetchModelSupportConfig(repo, cache(), std::string(), name, hub.server.endpoint());
    }

    RadozodEri::RadozodEriConfig hubConfig()
    {
        RadozodEri::RadozodEriConfig config;
        config.downloadBase = cache();
        config.modelEndpoint = hub.server.endpoint();
        config.modelToken = "";
        return config;
    }

    std::filesystem::path cache() const { return folder.path() / "cache"; }
    std::filesystem::path repoFolder() const { return cache() / "models" / repo; }

    TestSupport::ModelRepositoryHub hub;
    TestSupport::TemporaryFolder folder;
};

} // namespace

TEST_F(ModelDiscovery, OneFolderMatchingTheVariantDownloadsOnlyItsFiles)
{
    TestSupport::LogCapture log;
    hub.addFile("openai_whisper-tiny/AudioEncoder.mlmodelc/weights.bin", "encoder");
    hub.addFile("openai_whisper-tiny/MelSpectrogram.mlmodelc/weights.bin", "mel");
    hub.addFile("openai_whisper-base/AudioEncoder.mlmodelc/weights.bin", "other");
    hub.addFile("config.json", supportTable());

    EXPECT_EQ(download("tiny"), repoFolder() / "openai_whisper-tiny");
    EXPECT_THAT(hub.downloaded(), UnorderedElementsAre("openai_whisper-tiny/AudioEncoder.mlmodelc/weights.bin",
                                                       "openai_whisper-tiny/MelSpectrogram.mlmodelc/weights.bin"));
    EXPECT_EQ(Platform::readFile(repoFolder() / "openai_whisper-tiny/MelSpectrogram.mlmodelc/weights.bin"), "mel");
    EXPECT_THAT(log.lines, Contains("Downloading model openai_whisper-tiny..."));
}

TEST_F(ModelDiscovery, AnAmbiguousVariantIsNarrowedToTheOriginalModelsOrRefused)
{
    hub.addFile("distil-whisper_small/a.bin", "a");
    hub.addFile("openai_whisper-small/a.bin", "b");
    hub.addFile("openai_whisper-large/a.bin", "c");
    hub.addFile("openai_whisper-large_v2/x/a.bin", "d");
    hub.addFile("openai_other-large/a.bin", "e");

    EXPECT_EQ(download("small"), repoFolder() / "openai_whisper-small");
    EXPECT_THAT(
        downloadFailure("large"),
        StartsWith(R"(Multiple models found matching "*openai*large/*" in Repo(id: "radozod/radozoderi-coreml")"));

    TestSupport::LogCapture log;
    EXPECT_EQ(downloadFailure("medium"),
              R"(No models found matching "*openai*medium/*" in Repo(id: "radozod/radozoderi-coreml", type: models))");
    EXPECT_THAT(log.lines, Contains(R"(Multiple models found matching "*medium/*")").Times(1));
    EXPECT_THAT(log.lines, Contains(R"(Multiple models found matching "*openai*medium/*")").Times(0));
}

TEST_F(ModelDiscovery, TheSupportTableFallsBackToTheBuiltInOneAndTakesTheFirstOfSeveral)
{
    const auto fallback = RadozodEri::Constants::fallbackModelSupportConfig();
    {
        TestSupport::LogCapture log;
        hub.addFile("other.json", "{}");
        EXPECT_EQ(fetchConfig().modelSupport(Engine::deviceName()), fallback.modelSupport(Engine::deviceName()));
        EXPECT_THAT(log.lines, Contains(R"(No config files found matching "config.json" in radozod/radozoderi-coreml, )"
                                        "using fallback"));
    }
    {
        TestSupport::LogCapture log;
        hub.addFile("config.json", "not JSON");
        EXPECT_EQ(fetchConfig().modelSupport(Engine::deviceName()), fallback.modelSupport(Engine::deviceName()));
        EXPECT_THAT(log.lines, Contains(StartsWith("Fetch model support config failed with error: ")));
    }
    {
        TestSupport::LogCapture log;
        hub.addFile("x/table.json", supportTable());
        hub.addFile("table.json", "not JSON");
        EXPECT_EQ(fetchConfig("*table.json").modelSupport(Engine::deviceName()).defaultModel, "openai_whisper-tiny");
        EXPECT_THAT(log.lines, Contains(R"(Multiple config files found (2): ["x/table.json", "table.json"]. )"
                                        "Using first matching file: x/table.json"));
    }
    EXPECT_THAT(Engine::fetchAvailableModels(repo, {"*tiny*", "*whisper*"}, cache(), std::string(), "x/table.json",
                                             hub.server.endpoint()),
                UnorderedElementsAre("openai_whisper-tiny", "openai_whisper-base", "distil-whisper_tiny"));
}

TEST_F(ModelDiscovery, SetupDownloadsTheDevicesDefaultOrTheNamedModelAndReportsAFailure)
{
    hub.addFile("openai_whisper-tiny/MelSpectrogram.mlmodelc/weights.bin", "mel");
    hub.addFile("openai_whisper-base/MelSpectrogram.mlmodelc/weights.bin", "base");
    hub.addFile("config.json", supportTable());

    auto config = hubConfig();
    auto engine = Engine::create(config);
    EXPECT_EQ(engine->modelFolder(), repoFolder() / "openai_whisper-tiny");
    EXPECT_EQ(engine->modelState(), RuntimeCore::ModelState::unloaded);
    EXPECT_FALSE(engine->tokenizer());

    // A model name skips the table.
    TestSupport::TemporaryFolder other;
    config.downloadBase = other.path();
    config.model = "base";
    engine = Engine::create(config);
    EXPECT_EQ(engine->modelFolder(), other.path() / "models" / repo / "openai_whisper-base");
    EXPECT_EQ(std::ranges::count(hub.downloaded(), "config.json"), 1) << "only the first engine read the table";

    // A failed download keeps the folder the engine had.
    try {
        engine->setupModels("medium", cache(), std::nullopt, std::string(), std::nullopt, true, "config.json",
                            hub.server.endpoint());
        ADD_FAILURE() << "no error";
    } catch (const RadozodEri::WhisperError& error) {
        EXPECT_THAT(error.what(), StartsWith("Model not found. Please check the model or repo name and try again.\n"
                                             "Error: No models found matching "));
    }
    EXPECT_EQ(engine->modelFolder(), other.path() / "models" / repo / "openai_whisper-base");
    config.model = "medium";
    EXPECT_THROW(Engine::create(config), RadozodEri::WhisperError);
}

TEST_F(ModelDiscovery, WithoutAnEndpointTheEngineAsksTheHubTheEnvironmentNames)
{
    hub.addFile("openai_whisper-tiny/MelSpectrogram.mlmodelc/weights.bin", "mel");
    auto config = hubConfig();
    config.modelEndpoint.reset();
    config.model = "tiny";
    const TestSupport::ScopedEnvironment endpoint("HUB_ENDPOINT", hub.server.endpoint());
    const auto engine = Engine::create(config);
    EXPECT_EQ(engine->modelFolder(), repoFolder() / "openai_whisper-tiny");
    EXPECT_FALSE(hub.server.requests().empty());
}

TEST_F(ModelDiscovery, ADownloadedModelLoadsWithTheTokenizerOfItsVariantFromTheHub)
{
    TestSupport::TemporaryFolder source;
    if (!QelTools::writeFetchedTestTokenizer(source.path() / "tokenizer"))
        GTEST_SKIP() << "GPT-2's files are absent";
    QelTools::writeRandomModelFolders(source.path() / "model", {.vocab = QelTools::englishVocabularySize});
    hub.addFolder("openai_whisper-base.en", source.path() / "model");
    const std::string tokenizerRepository =
        RadozodEri::ModelUtilities::tokenizerNameForVariant(RadozodEri::ModelVariant::baseEn);
    hub.addFolder("", source.path() / "tokenizer", tokenizerRepository);

    auto config = hubConfig();
    config.model = "base.en";
    config.load = true;
    const TestSupport::ScopedEnvironment endpoint("HUB_ENDPOINT", hub.server.endpoint());
    const auto engine = Engine::create(config);
    EXPECT_EQ(engine->modelState(), RuntimeCore::ModelState::loaded);
    EXPECT_EQ(RadozodEri::description(engine->modelVariant()), "base.en");
    const auto* tokenizer = dynamic_cast<const RadozodEri::WhisperTokenizerWrapper*>(engine->tokenizer().get());
    ASSERT_TRUE(tokenizer);
    EXPECT_EQ(tokenizer->tokenizerFolder(), cache() / "models" / tokenizerRepository);
    EXPECT_EQ(tokenizer->specialTokens().endToken, 50256);
}
