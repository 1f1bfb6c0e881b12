#include "App/Models/TranscriptHistoryStore.h"
#include "App/State/AppState.h"
#include "Platform/EventLoop/MainThread.h"

#include "App/Doubles/DebugLogFile.h"
#include "App/Doubles/ModelCacheFixture.h"
#include "App/Doubles/ScriptedQelCoreLibrary.h"
#include "Support/DesktopTest.h"
#include "Support/SoundServer.h"
#include "Support/Waiting.h"

#include <QApplication>
#include <QLineEdit>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <condition_variable>
#include <csignal>
#include <mutex>

using QEL::AppState;
using testing::Contains;
using testing::HasSubstr;
using TestSupport::waitUntil;

namespace {

// Recordings on the real chain: the engine adapter over a scripted library,
// the desktop's inserters typing into a text field of this test, and the
// microphone of a sound server of the test's own, which stays quiet; the
// test speaks by handing frames to the pipeline itself, as the microphone
// would, on the main thread.
class AppStateRecordingTest : public TestSupport::DesktopTest, protected PrivateModelCache {
protected:
    void SetUp() override
    {
        DesktopTest::SetUp();
        putInCache("ggml-small.en.bin", modelBytes());
        defaults.set(std::string("keystroke"), "insertionMode");
        library.transcriptText = "hello world";
        field.resize(480, 40);
        field.show();
        field.activateWindow();
        ASSERT_TRUE(waitUntil([&] { return field.hasFocus() && QApplication::activeWindow() == &field; }));
        load();
    }

    void TearDown() override
    {
        // What the state's threads queued for the main thread holds on to the
        // engine; it goes while the scripted library is still there.
        state.reset();
        QCoreApplication::processEvents();
        DesktopTest::TearDown();
    }

    void load()
    {
        bool done = false;
        state->loadEngine([&] { done = true; });
        ASSERT_TRUE(waitUntil([&] { return done; }));
    }

    // 100 ms frames: speech, then the quiet that ends it.
    void speak(int speechFrames = 5, int quietFrames = 5) const
    {
        const std::vector<float> speech(1600, 0.1f);
        const std::vector<float> quiet(1600, 0.0f);
        for (int frame = 0; frame < speechFrames; ++frame)
            state->streamingPipeline()->processAudioBuffer(speech);
        for (int frame = 0; frame < quietFrames; ++frame)
            state->streamingPipeline()->processAudioBuffer(quiet);
    }

    // Until `count` transcriptions have ended and the state has taken in their
    // reports, which the pipeline queued before it went idle.
    bool waitForTranscriptions(std::int64_t count) const
    {
        if (!waitUntil(
                [&] { return state->transcriptionCount() >= count && !state->streamingPipeline()->isTranscribing(); }))
            return false;
        bool reached = false;
        Platform::runOnMainThread([&] { reached = true; });
        return waitUntil([&] { return reached; });
    }

    void setAnswer(const std::string& text)
    {
        std::lock_guard lock(library.mutex);
        library.transcriptText = text;
    }

    TestSupport::PrivateSoundServer sound{{{"mic"}}};
    TestSupport::ScopedEnvironment pulse{"PULSE_SERVER", sound.address()};
    TestSupport::ScopedEnvironment modelBase{"QEL_MODEL_BASE_URL", "http://127.0.0.1:9/"};
    QEL::Testing::DebugLogFile debugLog;
    Platform::UserDefaults defaults{dataHome / "QEL.json"};
    QEL::TranscriptHistoryStore history{dataHome / "Transcripts"};
    ScriptedQelCore library;
    QLineEdit field;
    std::shared_ptr<AppState> state = AppState::create(defaults, history, ScriptedQelCore::library());
};

} // namespace

TEST_F(AppStateRecordingTest, ARecordingGathersItsTextsAndStoppingSavesThemOnce)
{
    state->toggleRecording();
    ASSERT_TRUE(state->isRecording());
    EXPECT_EQ(state->statusMessage(), "Listening...");

    float loudest = 0;
    QObject::connect(state.get(), &AppState::audioLevelChanged,
                     [&](float level) { loudest = std::max(loudest, level); });
    speak();
    ASSERT_TRUE(waitForTranscriptions(1));
    setAnswer("more words");
    speak();
    ASSERT_TRUE(waitForTranscriptions(2));
    EXPECT_EQ(state->currentTranscript(), "More words");
    EXPECT_EQ(state->sessionTranscript(), "Hello world More words");
    EXPECT_THAT(state->statusMessage(), testing::MatchesRegex("Ready — [0-9]+ms"));
    EXPECT_GT(loudest, 0);
    EXPECT_FALSE(state->isSpeechDetected());
    EXPECT_TRUE(waitUntil([&] { return field.text() == "Hello worldMore words"; })) << field.text().toStdString();

    state->toggleRecording();
    EXPECT_FALSE(state->isRecording());
    EXPECT_EQ(state->statusMessage(), "Ready — press ⌥⇧Space");
    ASSERT_TRUE(waitUntil([&] { return state->transcriptHistory().size() == 1; }));
    EXPECT_EQ(state->transcriptHistory()[0].text, "Hello world More words");
    EXPECT_EQ(history.loadAll(), state->transcriptHistory());
    EXPECT_THAT(debugLog.messages(), Contains("Saved transcript to history: Hello world More words..."));

    // Stopping again, as a spoken "stop dictation" may after a stop, saves nothing more.
    state->stopRecording();
    waitUntil([] { return false; }, AppState::lastWordsTimeLimit / 10);
    EXPECT_EQ(history.loadAll().size(), 1u);
    EXPECT_EQ(state->transcriptHistory().size(), 1u);
    EXPECT_EQ(state->sessionTranscript(), "Hello world More words");
}

TEST_F(AppStateRecordingTest, ARecordingWithoutWordsSavesNothing)
{
    state->startRecording();
    speak(0, 5);
    state->stopRecording();
    EXPECT_EQ(state->statusMessage(), "Ready — press ⌥⇧Space");
    // A later recording's entry comes first, so an earlier one would show.
    state->startRecording();
    speak();
    ASSERT_TRUE(waitForTranscriptions(1));
    state->stopRecording();
    ASSERT_TRUE(waitUntil([&] { return !state->transcriptHistory().empty(); }));
    EXPECT_EQ(history.loadAll().size(), 1u);
}

TEST_F(AppStateRecordingTest, StoppingWaitsForTheLastWordsBeforeSaving)
{
    std::mutex mutex;
    std::condition_variable released;
    bool release = false;
    library.duringTranscribe = [&] {
        std::unique_lock lock(mutex);
        released.wait(lock, [&] { return release; });
    };
    state->startRecording();
    // Speech still going on when the recording stops is transcribed after the stop.
    speak(5, 0);
    state->stopRecording();
    waitUntil([] { return false; }, std::chrono::milliseconds(200));
    EXPECT_TRUE(state->transcriptHistory().empty()) << "saved before the last words were in";
    {
        std::lock_guard lock(mutex);
        release = true;
    }
    released.notify_all();

    ASSERT_TRUE(waitUntil([&] { return state->transcriptHistory().size() == 1; }));
    EXPECT_EQ(state->transcriptHistory()[0].text, "Hello world");
}

TEST_F(AppStateRecordingTest, AReloadWhileRecordingSavesTheRecordingFirstAndAFailedOneLeavesItGoing)
{
    state->startRecording();
    speak();
    ASSERT_TRUE(waitForTranscriptions(1));
    const QEL::StreamingPipeline* recordingChain = state->streamingPipeline();

    library.engineNewFails = true;
    load();
    EXPECT_TRUE(state->isRecording());
    EXPECT_EQ(state->streamingPipeline(), recordingChain);
    EXPECT_THAT(*state->errorMessage(), HasSubstr("Failed to load model: "));

    library.engineNewFails = false;
    load();
    EXPECT_FALSE(state->isRecording());
    EXPECT_NE(state->streamingPipeline(), recordingChain);
    ASSERT_TRUE(waitUntil([&] { return state->transcriptHistory().size() == 1; }));
    EXPECT_EQ(state->transcriptHistory()[0].text, "Hello world");

    // The new chain records.
    state->startRecording();
    EXPECT_TRUE(state->isRecording());
}

TEST_F(AppStateRecordingTest, WhenTheMicrophoneGoesAwayTheRecordingStopsSavedAndSaysWhy)
{
    state->startRecording();
    speak();
    ASSERT_TRUE(waitForTranscriptions(1));

    sound.signal(SIGKILL);
    ASSERT_TRUE(waitUntil([&] { return !state->isRecording(); }));
    ASSERT_TRUE(state->errorMessage().has_value());
    EXPECT_FALSE(state->errorMessage()->empty());
    ASSERT_TRUE(waitUntil([&] { return state->transcriptHistory().size() == 1; }));
    EXPECT_EQ(history.loadAll().size(), 1u);
}

TEST_F(AppStateRecordingTest, AFailedTranscriptionShowsItsErrorAndTheRecordingGoesOn)
{
    state->startRecording();
    {
        std::lock_guard lock(library.mutex);
        library.transcriptText.reset();
        library.lastError = "decoder broke";
    }
    speak();
    ASSERT_TRUE(waitUntil([&] { return state->errorMessage().has_value(); }));
    EXPECT_EQ(*state->errorMessage(), "Transcription failed: qel_engine_transcribe failed: decoder broke");
    EXPECT_TRUE(state->isRecording());

    // The error stays through later successful transcriptions.
    setAnswer("hello world");
    speak();
    ASSERT_TRUE(waitForTranscriptions(1));
    EXPECT_EQ(*state->errorMessage(), "Transcription failed: qel_engine_transcribe failed: decoder broke");
}

TEST_F(AppStateRecordingTest, SayingStopDictationStopsTheRecording)
{
    state->startRecording();
    setAnswer("stop dictation");
    speak();
    ASSERT_TRUE(waitUntil([&] { return !state->isRecording(); }));
    EXPECT_TRUE(field.text().isEmpty());
}

TEST_F(AppStateRecordingTest, WithoutASoundServerRecordingIsRefusedWithTheReason)
{
    TestSupport::ScopedEnvironment noServer{"PULSE_SERVER", "unix:" + (dataHome / "no-server").string()};
    state->startRecording();
    EXPECT_FALSE(state->isRecording());
    ASSERT_TRUE(state->errorMessage().has_value());
    EXPECT_EQ(*state->errorMessage(), "Failed to start recording: No audio input device found");
}
