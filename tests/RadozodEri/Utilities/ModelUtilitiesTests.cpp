#include "RadozodEri/Utilities/ModelUtilities.h"

#include "Hub/HubClientError.h"
#include "QelCore/Decoding/WhisperTokens.h"
#include "Support/LogCapture.h"
#include "Support/LoopbackHTTPServer.h"
#include "Support/TestEnvironment.h"
#include "tools/TestTokenizer/TestTokenizer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

using namespace RadozodEri;
namespace Utilities = RadozodEri::ModelUtilities;

namespace {

// A one-token tokenizer whose only vocabulary entry names the folder, so a
// loaded tokenizer shows where it came from.
void writeTokenizer(const std::filesystem::path& folder, const std::string& mark, bool withConfiguration = true)
{
    std::filesystem::create_directories(folder);
    std::ofstream(folder / "tokenizer.json")
        << R"({"model": {"type": "BPE", "merges": [], "vocab": {")" + mark + R"(": 7}}})";
    if (withConfiguration)
        std::ofstream(folder / "tokenizer_config.json") << R"({"tokenizer_class": "GPT2Tokenizer"})";
}

bool logged(const TestSupport::LogCapture& log, const std::string& line)
{
    return std::ranges::find(log.lines, line) != log.lines.end();
}

} // namespace

TEST(ModelUtilities, DetectsTheVariantFromTheVocabularyAndTheEncoderWidth)
{
    const std::vector<std::tuple<int, int, ModelVariant>> cases = {
        {51864, 384, ModelVariant::tinyEn},    {51864, 512, ModelVariant::baseEn}, {51864, 768, ModelVariant::smallEn},
        {51864, 1024, ModelVariant::mediumEn}, {51864, 640, ModelVariant::baseEn}, {51865, 384, ModelVariant::tiny},
        {51865, 512, ModelVariant::base},      {51865, 768, ModelVariant::small},  {51865, 1024, ModelVariant::medium},
        {51865, 1280, ModelVariant::largev2},  {51865, 896, ModelVariant::base},   {51866, 384, ModelVariant::largev3},
    };
    for (const auto& [logits, encoder, variant] : cases)
        EXPECT_EQ(Utilities::detectVariant(logits, encoder), variant) << logits << " " << encoder;
    TestSupport::LogCapture log(RuntimeCore::LogLevel::error);
    EXPECT_EQ(Utilities::detectVariant(50000, 512), ModelVariant::base);
    EXPECT_EQ(log.lines, std::vector<std::string>{"Unrecognized vocabulary size: 50000, defaulting to base variant"});
}

TEST(ModelUtilities, NamesTheTokenizerRepositoryOfEachVariant)
{
    EXPECT_EQ(Utilities::tokenizerNameForVariant(ModelVariant::tinyEn), "openai/whisper-tiny.en");
    EXPECT_EQ(Utilities::tokenizerNameForVariant(ModelVariant::largev2), "openai/whisper-large-v2");
}

TEST(ModelUtilities, FormatsRepositoryFilesAsModelFoldersByFamily)
{
    EXPECT_EQ(
        Utilities::formatModelFiles({"openai_whisper-base/AudioEncoder.mlmodelc/weights.bin",
                                     "openai_whisper-base/config.json", "openai_whisper-tiny.en/config.json",
                                     "distil-whisper_distil-large-v3/config.json", "README.md"}),
        (std::vector<std::string>{"openai_whisper-tiny.en", "openai_whisper-base", "distil-whisper_distil-large-v3"}));
    EXPECT_EQ(Utilities::formatModelFiles({"w-large-v3/a", "w-medium.en/a", "w-small/a", "w-large-v2/a", "w-tiny/a",
                                           "w-base.en/a", "w-medium/a", "tinyish/a", "large"}),
              (std::vector<std::string>{"w-tiny", "w-base.en", "w-small", "w-medium", "w-medium.en", "large",
                                        "w-large-v2", "w-large-v3"}))
        << "a name without a family's \"/\" is no model folder, unless it names a large one";
}

TEST(ModelUtilities, LoadsTheTokenizerOfTheHubFolderBeforeTheTokenizerFolder)
{
    TestSupport::TemporaryFolder base;
    const std::filesystem::path hubFolder = Utilities::hubRepositoryFolder(base.path(), "openai/whisper-base.en");
    EXPECT_EQ(hubFolder, base / "models/openai/whisper-base.en");
    writeTokenizer(base.path(), "tokenizer-folder");
    writeTokenizer(hubFolder, "hub-folder");
    TestSupport::LogCapture log;
    const auto fromHubFolder = Utilities::loadTokenizer(ModelVariant::baseEn, base.path());
    EXPECT_EQ(fromHubFolder->tokenizerFolder(), hubFolder);
    EXPECT_EQ(fromHubFolder->convertTokenToId("hub-folder"), 7);
    EXPECT_TRUE(logged(log, "Loading tokenizer from " + hubFolder.string()));

    const auto fromTokenizerFolder = Utilities::loadTokenizer(ModelVariant::tiny, base.path());
    EXPECT_EQ(fromTokenizerFolder->convertTokenToId("tokenizer-folder"), 7);
    TestSupport::TemporaryFolder extra;
    writeTokenizer(extra.path(), "extra");
    EXPECT_EQ(
        Utilities::loadTokenizer(ModelVariant::tiny, std::nullopt, {base / "missing", extra.path()})->tokenizerFolder(),
        extra.path());
}

TEST(ModelUtilities, FetchesTheTokenizerFromTheHubWhenNoLocalFolderServes)
{
    LoopbackHTTPServer hub;
    TestSupport::ScopedEnvironment endpoint{"HUB_ENDPOINT", hub.endpoint()};
    TestSupport::ScopedEnvironment online{"CI_DISABLE_NETWORK_MONITOR", "1"};
    TestSupport::TemporaryFolder served;
    writeTokenizer(served.path(), "from the hub");
    const std::string repository = "openai/whisper-small";
    hub.respondListing("models", repository, "main", {"tokenizer.json", "tokenizer_config.json"});
    for (const char* name : {"tokenizer.json", "tokenizer_config.json"})
        hub.respond("/" + repository + "/resolve/main/" + name,
                    {.body = TestSupport::fileContents(served / name),
                     .extraHeaders = "X-Repo-Commit: " + std::string(40, 'c') + "\r\nETag: \"e\"\r\n"});

    TestSupport::TemporaryFolder base;
    TestSupport::TemporaryFolder extra;
    writeTokenizer(base.path(), "no configuration", false);
    writeTokenizer(extra.path(), "never reached");
    TestSupport::LogCapture log;
    const auto tokenizer = Utilities::loadTokenizer(ModelVariant::small, base.path(), {extra.path()});
    const std::filesystem::path hubFolder = base / "models/openai/whisper-small";
    EXPECT_EQ(tokenizer->tokenizerFolder(), hubFolder);
    EXPECT_EQ(tokenizer->convertTokenToId("from the hub"), 7);
    EXPECT_TRUE(logged(log, "Checking for local tokenizer at " + (base / "tokenizer.json").string() + " - found"));
    EXPECT_TRUE(logged(log, "Tokenizer configuration not found in local config"));
    EXPECT_TRUE(logged(log, "Downloading tokenizer from Hub at file://" + hubFolder.string()));

    // The hub has no repository of this variant's tokenizer; its error is the caller's.
    std::ofstream(base / "tokenizer_config.json") << R"({"tokenizer_class": "NoSuchTokenizer"})";
    try {
        Utilities::loadTokenizer(ModelVariant::tiny, base.path());
        FAIL() << "loaded a tokenizer that neither a folder nor the hub has";
    } catch (const Hub::HubClientError& error) {
        EXPECT_EQ(error.kind(), Hub::HubClientError::Kind::fileNotFound);
    }
    EXPECT_TRUE(logged(log, "Error loading local tokenizer: The tokenizer type 'NoSuchTokenizer' is not supported."));
}

TEST(ModelUtilities, TheEnglishTestTokenizerHasTheSpecialTokensOfItsVocabularySize)
{
    TestSupport::TemporaryFolder folder;
    if (!QelTools::writeFetchedTestTokenizer(folder.path()))
        GTEST_SKIP() << "GPT-2's files are absent";
    const auto tokenizer = Utilities::loadTokenizer(ModelVariant::baseEn, std::nullopt, {folder.path()});
    const auto expected = QelCore::SpecialTokens::forVocabularySize(QelTools::englishVocabularySize);
    const SpecialTokens& special = tokenizer->specialTokens();
    EXPECT_EQ(special.endToken, expected.endOfText);
    EXPECT_EQ(special.specialTokenBegin, expected.endOfText);
    EXPECT_EQ(special.startOfTranscriptToken, expected.startOfTranscript);
    EXPECT_EQ(special.translateToken, expected.translate);
    EXPECT_EQ(special.transcribeToken, expected.transcribe);
    EXPECT_EQ(special.startOfPreviousToken, expected.startOfPrevious);
    EXPECT_EQ(special.noSpeechToken, expected.noSpeech);
    EXPECT_EQ(special.noTimestampsToken, expected.noTimestamps);
    EXPECT_EQ(special.timeTokenBegin, expected.firstTimestamp);
    EXPECT_EQ(special.englishToken, 50258);
    EXPECT_EQ(special.whitespaceToken, 220);
    EXPECT_EQ(tokenizer->allLanguageTokens().size(), 99u);
    EXPECT_EQ(tokenizer->decode(tokenizer->encode(" Hello world")), " Hello world");
}

TEST(ModelUtilities, LooksUpDeviceSupportInTheBuiltInTableWithoutOne)
{
    const ModelSupport support = Utilities::modelSupport("Mac14,2", std::nullopt);
    EXPECT_EQ(support.defaultModel, "openai_whisper-large-v3-v20240930");
    EXPECT_EQ(Utilities::modelSupportSummary("Mac14,2", std::nullopt),
              std::make_pair(support.defaultModel, support.disabled));
}
