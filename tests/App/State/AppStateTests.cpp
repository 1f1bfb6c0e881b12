#include "App/State/AppState.h"
#include "App/Models/TranscriptHistoryStore.h"
#include "App/Utils/FileLogger.h"

#include "App/Doubles/ModelCacheFixture.h"
#include "App/Doubles/ScriptedQelCoreLibrary.h"
#include "Support/ModelRepositoryHub.h"
#include "Support/TestEnvironment.h"
#include "Support/Waiting.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <thread>

using QEL::AppState;
using QEL::InsertionMode;
using testing::ElementsAre;
using testing::HasSubstr;

namespace {

class AppStateTest : public ModelCacheTest {
protected:
    void SetUp() override { QEL::FileLogger::setLogPathForTesting(dataHome / "debug.log"); }
    void TearDown() override { QEL::FileLogger::setLogPathForTesting({}); }

    std::shared_ptr<AppState> makeState() { return AppState::create(defaults, history, ScriptedQelCore::library()); }

    // Starts a load and waits until it has ended.
    static void load(AppState& state)
    {
        bool done = false;
        state.loadEngine([&] { done = true; });
        ASSERT_TRUE(TestSupport::waitUntil([&] { return done; }));
    }

    std::filesystem::path settingsFile() const { return dataHome / "QEL.json"; }

    Platform::UserDefaults defaults{settingsFile()};
    QEL::TranscriptHistoryStore history{dataHome / "Transcripts"};
    ScriptedQelCore library;
};

} // namespace

TEST_F(AppStateTest, SettingsReadTheirDefaultsUntilStoredAndKeepWhatIsWritten)
{
    auto state = makeState();
    EXPECT_EQ(state->selectedModel(), "openai_whisper-small.en");
    EXPECT_EQ(state->insertionMode(), InsertionMode::paste);
    EXPECT_EQ(state->silenceThresholdMs(), 400);
    EXPECT_TRUE(state->removeFillers());
    EXPECT_TRUE(state->enableCommands());
    EXPECT_EQ(state->selectedLanguage(), "auto");

    std::vector<std::string> announced;
    QObject::connect(state.get(), &AppState::selectedModelChanged,
                     [&](const std::string& m) { announced.push_back(m); });
    QObject::connect(state.get(), &AppState::insertionModeChanged, [&](InsertionMode) { announced.push_back("mode"); });
    state->setSelectedModel("openai_whisper-base");
    state->setInsertionMode(InsertionMode::keystroke);
    state->setSilenceThresholdMs(800);
    state->setRemoveFillers(false);
    state->setEnableCommands(false);
    state->setSelectedLanguage("de");
    EXPECT_THAT(announced, ElementsAre("openai_whisper-base", "mode"));

    // Another reader of the file sees the stored values, each under its own key.
    Platform::UserDefaults reread(settingsFile());
    EXPECT_EQ(reread.string("selectedModel"), "openai_whisper-base");
    EXPECT_EQ(reread.string("insertionMode"), "keystroke");
    EXPECT_EQ(reread.integer("silenceThresholdMs"), 800);
    EXPECT_EQ(reread.object("removeFillers"), Platform::DefaultsValue(false));
    EXPECT_EQ(reread.object("enableCommands"), Platform::DefaultsValue(false));
    EXPECT_EQ(reread.string("selectedLanguage"), "de");
}

TEST_F(AppStateTest, OnlyTheTwoRawValuesNameAnInsertionModeAndOtherTypesReadAsTheDefault)
{
    auto state = makeState();
    const std::pair<Platform::DefaultsValue, InsertionMode> cases[] = {
        {std::string("keystroke"), InsertionMode::keystroke},
        {std::string("paste"), InsertionMode::paste},
        {std::string("Keystroke"), InsertionMode::paste},
        {std::string(""), InsertionMode::paste},
        {std::int64_t(1), InsertionMode::paste},
    };
    for (const auto& [stored, mode] : cases) {
        defaults.set(stored, "insertionMode");
        EXPECT_EQ(state->insertionMode(), mode);
    }
    defaults.set(std::string("true"), "removeFillers");
    defaults.set(std::string("200"), "silenceThresholdMs");
    EXPECT_TRUE(state->removeFillers());
    EXPECT_EQ(state->silenceThresholdMs(), 400);
}

TEST_F(AppStateTest, TheInitialPromptNamesTheVocabularyAndTheSampleSentence)
{
    struct Case {
        std::optional<std::vector<std::string>> vocabulary;
        std::optional<std::string> sentence;
        std::string prompt;
    };
    const std::string first = "QEL is a cross-platform voice dictation app.";
    const Case cases[] = {
        {std::nullopt, std::nullopt, first},
        {std::vector<std::string>{}, std::string("  \n"), first},
        {std::vector<std::string>{" Kubernetes ", "   ", "QEL", "QEL", "\tgRPC\n"}, std::nullopt,
         first + " Words to remember: Kubernetes, QEL, QEL, gRPC."},
        {std::nullopt, std::string("  Deploy the pods with kubectl. \n"), first + " Deploy the pods with kubectl."},
        {std::vector<std::string>{"Tolvek"}, std::string("Tolvek ships QEL."),
         first + " Words to remember: Tolvek. Tolvek ships QEL."},
    };
    for (const Case& c : cases) {
        defaults.removeObject("customVocabulary");
        defaults.removeObject("vocabularySampleSentence");
        if (c.vocabulary)
            defaults.set(*c.vocabulary, "customVocabulary");
        if (c.sentence)
            defaults.set(*c.sentence, "vocabularySampleSentence");
        EXPECT_EQ(AppState::composeInitialPrompt(defaults), c.prompt);
    }
}

TEST_F(AppStateTest, StartsWithTheSavedHistoryNewestFirst)
{
    const auto older = QEL::SavedTranscript::dictation("first words", Platform::Date{700000000});
    const auto newer = QEL::SavedTranscript::dictation("later words", Platform::Date{700000500});
    ASSERT_TRUE(history.save(*older));
    ASSERT_TRUE(history.save(*newer));

    auto state = makeState();
    ASSERT_EQ(state->transcriptHistory().size(), 2u);
    EXPECT_EQ(state->transcriptHistory()[0].text, "later words");
    EXPECT_EQ(state->transcriptHistory()[1].text, "first words");
    EXPECT_EQ(state->statusMessage(), "Starting up...");
    EXPECT_FALSE(state->isModelLoaded());
    EXPECT_EQ(state->errorMessage(), std::nullopt);
}

TEST_F(AppStateTest, RecordingBeforeAnyModelHasLoadedIsRefused)
{
    auto state = makeState();
    int changes = 0;
    QObject::connect(state.get(), &AppState::changed, [&] { ++changes; });

    // A press of the hot key toggles from the event loop.
    state->hotKeyManager().onToggle();
    ASSERT_TRUE(TestSupport::waitUntil([&] { return state->errorMessage().has_value(); }));
    EXPECT_FALSE(state->isRecording());
    EXPECT_EQ(state->errorMessage(), "Model still loading, please wait...");
    EXPECT_EQ(changes, 1);
    state->toggleRecording();
    EXPECT_EQ(changes, 1) << "the same error again is no change";
    EXPECT_THAT(TestSupport::fileContents(dataHome / "debug.log"),
                HasSubstr("toggleRecording called. isRecording=false\n"));
}

TEST_F(AppStateTest, ALoadReportsItsPhasesOnTheMainThreadAndEndsLoaded)
{
    putInCache("ggml-small.en.bin", modelBytes());
    defaults.set(std::vector<std::string>{"Tolvek"}, "customVocabulary");
    defaults.set(std::string("en"), "selectedLanguage");
    auto state = makeState();
    std::vector<std::string> statuses;
    bool allOnMainThread = true;
    const auto mainThread = std::this_thread::get_id();
    QObject::connect(state.get(), &AppState::statusMessageChanged, [&](const std::string& status) {
        statuses.push_back(status);
        allOnMainThread = allOnMainThread && std::this_thread::get_id() == mainThread;
    });

    load(*state);
    EXPECT_TRUE(state->isModelLoaded());
    EXPECT_FALSE(state->isLoadingModel());
    EXPECT_EQ(state->errorMessage(), std::nullopt);
    EXPECT_EQ(state->modelLoadPhase(), "Ready");
    EXPECT_EQ(state->statusMessage(), "Ready — press ⌥⇧Space");
    EXPECT_EQ(state->modelDownloadProgress(), 1.0);
    EXPECT_THAT(statuses, testing::IsSupersetOf({"Downloading model (first time only)...", "Downloading model... 0%",
                                                 "Loading into memory... 60%", "Prewarming... 85%", "Ready... 100%"}));
    EXPECT_EQ(statuses.front(), "Downloading model (first time only)...");
    EXPECT_TRUE(allOnMainThread);
    EXPECT_THAT(library.prompts, ElementsAre(AppState::composeInitialPrompt(defaults)));
    EXPECT_THAT(library.languages, ElementsAre("en"));
}

TEST_F(AppStateTest, ASecondLoadWhileOneRunsReturnsAtOnce)
{
    // The first load waits for a slow download.
    server.respond("/ggml-small.en.bin", {.body = modelBytes(), .delay = std::chrono::milliseconds(300)});
    auto state = makeState();
    bool firstDone = false;
    bool secondDone = false;
    state->loadEngine([&] { firstDone = true; });
    state->loadEngine([&] { secondDone = true; });
    EXPECT_TRUE(secondDone);
    EXPECT_FALSE(firstDone);
    ASSERT_TRUE(TestSupport::waitUntil([&] { return firstDone; }));
    EXPECT_TRUE(state->isModelLoaded());
    EXPECT_EQ(library.modelPaths.size(), 1u);
}

TEST_F(AppStateTest, AFailedLoadShowsItsErrorAndLeavesAnEarlierLoadInPlace)
{
    putInCache("ggml-small.en.bin", modelBytes());
    auto state = makeState();
    load(*state);
    ASSERT_TRUE(state->isModelLoaded());

    library.engineNewFails = true;
    library.lastError = "no memory";
    std::vector<std::optional<std::string>> errors;
    QObject::connect(state.get(), &AppState::errorMessageChanged,
                     [&](const std::optional<std::string>& error) { errors.push_back(error); });
    load(*state);
    EXPECT_EQ(state->errorMessage(), "Failed to load model: Transcription failed: qel_engine_new failed: no memory");
    EXPECT_EQ(state->statusMessage(), "Error loading model");
    EXPECT_TRUE(state->isModelLoaded());
    EXPECT_FALSE(state->isLoadingModel());

    // The next load clears the error as it begins.
    library.engineNewFails = false;
    load(*state);
    EXPECT_EQ(errors,
              (std::vector<std::optional<std::string>>{
                  "Failed to load model: Transcription failed: qel_engine_new failed: no memory", std::nullopt}));
}

TEST_F(AppStateTest, OnlyAStoredBooleanFalseSelectsTheBuiltInEngine)
{
    putInCache("ggml-small.en.bin", modelBytes());
    TestSupport::ModelRepositoryHub hub;
    hub.addFile("openai_whisper-small.en/config.json", "{}");
    const TestSupport::ScopedEnvironment endpoint{"HUB_ENDPOINT", hub.server.endpoint()};
    const TestSupport::ScopedEnvironment documents{"XDG_DOCUMENTS_DIR", (dataHome / "Documents").string()};
    auto state = makeState();
    defaults.set(false, "useQelCoreEngine");
    load(*state);
    EXPECT_EQ(state->errorMessage(), std::nullopt);
    EXPECT_TRUE(state->isModelLoaded());
    EXPECT_EQ(state->modelLoadPhase(), "Ready");
    EXPECT_THAT(hub.downloaded(), ElementsAre("openai_whisper-small.en/config.json"));
    EXPECT_TRUE(library.modelPaths.empty());

    for (const Platform::DefaultsValue& outside :
         {Platform::DefaultsValue(std::string("false")), Platform::DefaultsValue(std::int64_t(0)),
          Platform::DefaultsValue(true)}) {
        defaults.set(outside, "useQelCoreEngine");
        load(*state);
        EXPECT_EQ(state->errorMessage(), std::nullopt);
    }
    EXPECT_EQ(library.modelPaths.size(), 3u);
}
