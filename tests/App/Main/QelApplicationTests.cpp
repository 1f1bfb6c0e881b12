// The application as a user runs it: the real qel program in the headless
// desktop, with a tiny random model in its model cache, dictating from the
// pipe microphone into a text field of this test program.

#include "App/Models/TranscriptHistoryStore.h"
#include "Platform/UserDefaults/UserDefaults.h"

#include "Support/DesktopTest.h"
#include "Support/Keyboard.h"
#include "Support/Microphone.h"
#include "Support/ModelRepositoryHub.h"
#include "Support/Screenshot.h"
#include "Support/Shell.h"
#include "Support/SoundServer.h"
#include "Support/TestEnvironment.h"
#include "Support/Waiting.h"
#include "tools/ModelFolder/WhisperFolders.h"
#include "tools/RandomGgmlModel/RandomGgmlModel.h"
#include "tools/TestTokenizer/TestTokenizer.h"

#include <QApplication>
#include <QLineEdit>
#include <QProcess>

#include <X11/keysym.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

using testing::HasSubstr;
using testing::IsSupersetOf;
using testing::UnorderedElementsAreArray;

namespace {

namespace fs = std::filesystem;

// Speech as the voice detector sees it: a few syllable-like bursts of noise,
// then quiet longer than the silence that ends an utterance.
std::vector<float> spokenUtterance()
{
    constexpr int rate = 16000;
    std::mt19937 generator(11);
    std::uniform_real_distribution<float> noise(-1.0f, 1.0f);
    std::vector<float> samples(static_cast<size_t>(rate * 0.3), 0.0f);
    for (int index = 0; index < rate * 1.5; ++index) {
        const double syllable = std::sin(M_PI * 4.0 * index / rate);
        samples.push_back(0.05f * static_cast<float>(syllable * syllable) * noise(generator));
    }
    samples.resize(samples.size() + rate * 1.5, 0.0f);
    return samples;
}

// What a text field shows of inserted text: control characters are not typed.
std::string shownInAField(const std::string& text)
{
    std::string shown;
    for (char character : text)
        if (static_cast<unsigned char>(character) >= 0x20 && character != 0x7f)
            shown += character;
    return shown;
}

class QelApplicationTest : public TestSupport::DesktopTest {
protected:
    void SetUp() override
    {
        DesktopTest::SetUp();
        fs::create_directories(runtimeFolder());
        fs::permissions(runtimeFolder(), fs::perms::owner_all);
        environment.insert("XDG_DATA_HOME", QString::fromStdString(dataHome().string()));
        environment.insert("XDG_CONFIG_HOME", QString::fromStdString((home / "config").string()));
        environment.insert("XDG_RUNTIME_DIR", QString::fromStdString(runtimeFolder().string()));
        // Nothing may be downloaded: a missing model fails at once.
        environment.insert("QEL_MODEL_BASE_URL", "http://127.0.0.1:9/");
        qel.setProcessChannelMode(QProcess::ForwardedChannels);
    }

    void TearDown() override
    {
        if (qel.state() != QProcess::NotRunning) {
            qel.kill();
            qel.waitForFinished();
        }
        DesktopTest::TearDown();
    }

    fs::path dataHome() const { return home / "data"; }
    fs::path runtimeFolder() const { return home / "run"; }
    fs::path historyFolder() const { return dataHome() / "QEL" / "Transcripts"; }

    void installModel(const std::string& bytes) const
    {
        const fs::path folder = dataHome() / "com.tolvek.qel" / "models";
        fs::create_directories(folder);
        std::ofstream(folder / "ggml-small.en.bin", std::ios::binary) << bytes;
    }

    // A small English-only model: its words are random, but the same audio
    // always gives the same ones.
    void installRandomModel() const
    {
        const auto model = QelTools::randomGgmlModel(
            {.seed = 5, .vocab = 51864, .ftype = 1, .width = 32, .heads = 2, .layers = 1, .textCtx = 16});
        installModel(std::string(reinterpret_cast<const char*>(model.data()), model.size()));
    }

    // A model wide enough that each utterance takes a while, so that a few
    // spoken in a row wait in the queue.
    void installSlowModel() const
    {
        const auto model = QelTools::randomGgmlModel(
            {.seed = 5, .vocab = 51864, .ftype = 1, .width = 384, .heads = 6, .layers = 4, .textCtx = 16});
        installModel(std::string(reinterpret_cast<const char*>(model.data()), model.size()));
    }

    // How many lines of the debug log begin with `line`.
    std::size_t logCount(const std::string& line) const
    {
        const std::string log = debugLog();
        std::size_t count = 0;
        for (auto at = log.find("] " + line); at != std::string::npos; at = log.find("] " + line, at + 1))
            ++count;
        return count;
    }

    void store(const Platform::DefaultsValue& value, const std::string& key) const
    {
        Platform::UserDefaults(home / "config" / "tolvek" / "QEL.json").set(value, key);
    }

    // Starts the program and waits until its first engine load has ended.
    void start()
    {
        qel.setProcessEnvironment(environment);
        qel.start(QEL_EXECUTABLE, {});
        ASSERT_TRUE(qel.waitForStarted());
        ASSERT_TRUE(waitForLog("Engine load done. isModelLoaded="));
    }

    std::string debugLog() const { return TestSupport::fileContents(runtimeFolder() / "qel_debug.log"); }

    bool waitForLog(const std::string& line) const
    {
        return TestSupport::waitUntil([&] { return debugLog().find("] " + line) != std::string::npos; });
    }

    // Whether the debug log holds lines beginning with these texts, in this
    // order (others may come between them).
    ::testing::AssertionResult logHoldsInOrder(const std::vector<std::string>& lines) const
    {
        const std::string log = debugLog();
        std::string::size_type position = 0;
        for (const std::string& line : lines) {
            position = log.find("] " + line, position);
            if (position == std::string::npos)
                return ::testing::AssertionFailure() << "\"" << line << "\" missing or out of order in:\n" << log;
        }
        return ::testing::AssertionSuccess();
    }

    static void postToggle()
    {
        ASSERT_EQ(QProcess::execute("dbus-send",
                                    {"--session", "--type=signal", "/com/tolvek/qel", "com.tolvek.qel.toggle"}),
                  0);
    }

    // Ends the program as a log-out would; its exit status.
    int terminate()
    {
        ::kill(static_cast<pid_t>(qel.processId()), SIGTERM);
        EXPECT_TRUE(qel.waitForFinished(30000));
        return qel.exitStatus() == QProcess::NormalExit ? qel.exitCode() : -1;
    }

    std::vector<fs::path> historyFiles() const
    {
        std::vector<fs::path> files;
        if (fs::exists(historyFolder()))
            for (const auto& entry : fs::directory_iterator(historyFolder()))
                files.push_back(entry.path());
        return files;
    }

    std::vector<QEL::SavedTranscript> history() const
    {
        return QEL::TranscriptHistoryStore(historyFolder()).loadAll();
    }

    // A text field of this program with the keyboard focus.
    void focus(QLineEdit& field) const
    {
        field.resize(480, 40);
        field.show();
        field.activateWindow();
        ASSERT_TRUE(TestSupport::waitUntil([&] { return field.hasFocus() && QApplication::activeWindow() == &field; }));
    }

    TestSupport::TemporaryFolder home;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    QProcess qel;
};

} // namespace

TEST_F(QelApplicationTest, WithoutADisplayItExitsSayingWhy)
{
    environment.remove("DISPLAY");
    qel.setProcessEnvironment(environment);
    qel.setProcessChannelMode(QProcess::SeparateChannels);
    qel.start(QEL_EXECUTABLE, {});
    ASSERT_TRUE(qel.waitForFinished(30000));
    EXPECT_EQ(qel.exitCode(), 1);
    EXPECT_THAT(qel.readAllStandardError().toStdString(), HasSubstr("No X display: DISPLAY is not set"));
}

TEST_F(QelApplicationTest, AFileThatIsNoModelShowsTheLoadErrorAndTheProgramRunsOn)
{
    installModel("this is not a model file");
    start();
    // The error is a line of its own, written just after the load's end.
    ASSERT_TRUE(waitForLog("ERROR: Failed to load model: "));
    EXPECT_TRUE(logHoldsInOrder({"Engine load done. isModelLoaded=false", "ERROR: Failed to load model: "}));

    postToggle();
    ASSERT_TRUE(waitForLog("Model not loaded, can't record"));
    EXPECT_EQ(terminate(), 0);
    EXPECT_TRUE(logHoldsInOrder({"App terminating"}));
}

TEST_F(QelApplicationTest, WithoutASessionBusTheLaunchSaysSoAndTheHotKeyStillWorks)
{
    installRandomModel();
    environment.insert("DBUS_SESSION_BUS_ADDRESS", QString::fromStdString("unix:path=" + (home / "no-bus").string()));
    start();
    EXPECT_TRUE(logHoldsInOrder({"App launched", "Setting up overlay...", "Overlay created", "Hotkey registered",
                                 "Remote toggle listener not registered: ",
                                 "Engine load done. isModelLoaded=true"}));

    TestSupport::pressKeys({XK_Alt_L, XK_Shift_L, XK_space});
    EXPECT_TRUE(waitForLog("toggleRecording called. isRecording=false"));
    EXPECT_EQ(terminate(), 0);
}

TEST_F(QelApplicationTest, TheToggleSignalDictatesIntoTheFocusedFieldByKeystrokesAndSavesOneEntry)
{
    installRandomModel();
    store(std::string("keystroke"), "insertionMode");
    start();
    EXPECT_TRUE(logHoldsInOrder({"App launched", "Requesting microphone access...", "Accessibility granted: true",
                                 "Setting up overlay...", "Overlay created", "Hotkey registered", "Remote toggle listener registered",
                                 "Loading STT engine with model: openai_whisper-small.en...",
                                 "Engine load done. isModelLoaded=true"}));
    QLineEdit field;
    focus(field);

    postToggle();
    ASSERT_TRUE(waitForLog("Recording started OK"));
    TestSupport::MicrophoneFeed microphone(spokenUtterance());
    ASSERT_TRUE(waitForLog("Transcription result: "));
    ASSERT_TRUE(TestSupport::waitUntil([&] { return !field.text().isEmpty(); }));
    postToggle();

    // The entry's file is written before its log line.
    ASSERT_TRUE(waitForLog("Saved transcript to history: "));
    const auto entries = history();
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_TRUE(TestSupport::waitUntil([&] { return field.text().toStdString() == shownInAField(entries[0].text); }))
        << "field: " << field.text().toStdString() << "\nsaved: " << entries[0].text;
    EXPECT_TRUE(logHoldsInOrder({"REMOTE TOGGLE received!", "toggleRecording called. isRecording=false",
                                 "Recording started OK", "Transcription result: ", "REMOTE TOGGLE received!",
                                 "toggleRecording called. isRecording=true", "Saved transcript to history: "}));
    EXPECT_EQ(terminate(), 0);
    EXPECT_EQ(historyFiles().size(), 1u);
}

TEST_F(QelApplicationTest, TheHotKeyDictatesThroughTheClipboardAndQuittingSavesTheRecording)
{
    installRandomModel();
    start();
    QLineEdit field;
    focus(field);

    TestSupport::pressKeys({XK_Alt_L, XK_Shift_L, XK_space});
    ASSERT_TRUE(waitForLog("Recording started OK"));
    TestSupport::MicrophoneFeed microphone(spokenUtterance());
    ASSERT_TRUE(TestSupport::waitUntil([&] { return !field.text().isEmpty(); }));

    // Quitting while recording stops the recording and saves it.
    EXPECT_EQ(terminate(), 0);
    const auto entries = history();
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(field.text().toStdString(), shownInAField(entries[0].text));
    EXPECT_TRUE(logHoldsInOrder({"HOTKEY FIRED!", "Recording started OK", "Text copied to clipboard: ",
                                 "App terminating", "Saved transcript to history: "}));
}

TEST_F(QelApplicationTest, WithoutASoundServerItStartsAndRefusesToRecord)
{
    installRandomModel();
    environment.insert("PULSE_SERVER", QString::fromStdString("unix:" + (home / "no-server").string()));
    start();
    postToggle();
    ASSERT_TRUE(waitForLog("RECORDING ERROR: Failed to start recording: "));
    EXPECT_EQ(terminate(), 0);
    EXPECT_TRUE(historyFiles().empty());
}

TEST_F(QelApplicationTest, QuittingWithUtterancesQueuedEndsCleanlyAndSavesWhatWasCaptured)
{
    installSlowModel();
    store(std::string("keystroke"), "insertionMode");
    start();
    QLineEdit field;
    focus(field);

    postToggle();
    ASSERT_TRUE(waitForLog("Recording started OK"));
    std::vector<float> speech;
    for (int utterance = 0; utterance < 4; ++utterance) {
        const std::vector<float> one = spokenUtterance();
        speech.insert(speech.end(), one.begin(), one.end());
    }
    TestSupport::MicrophoneFeed microphone(speech);
    ASSERT_TRUE(TestSupport::waitUntil([&] { return logCount("VAD: ENDPOINT detected") >= 3; }));

    // Quitting while the queue is still being worked through.
    EXPECT_EQ(terminate(), 0);
    EXPECT_TRUE(logHoldsInOrder({"App terminating", "Saved transcript to history: "}));
    ASSERT_EQ(history().size(), 1u);
    // Every utterance handed over was transcribed, or its audio was dropped
    // with a line saying how much.
    const std::string log = debugLog();
    if (log.find("] Quitting without transcribing ") == std::string::npos) {
        EXPECT_EQ(logCount("Transcription result: "), logCount("transcribeAndInsert: "));
    }
    EXPECT_EQ(log.find("Transcription result: ", log.find("] Saved transcript to history: ")), std::string::npos);
}

TEST_F(QelApplicationTest, TheMicrophoneListFollowsTheSoundServerBack)
{
    TestSupport::PrivateSoundServer sound({{"mic"}});
    environment.insert("PULSE_SERVER", QString::fromStdString(sound.address()));
    installRandomModel();
    start();
    ASSERT_TRUE(waitForLog("Selected device: Unix FIFO source"));

    sound.signal(SIGKILL);
    ASSERT_TRUE(waitForLog("Selected device: none"));
    sound.restart();
    ASSERT_TRUE(waitForLog("Connected to the sound server again"));
    EXPECT_TRUE(TestSupport::waitUntil([&] { return logCount("Selected device: Unix FIFO source") == 2; }));
    EXPECT_EQ(terminate(), 0);
}

TEST_F(QelApplicationTest, TheBuiltInEngineFetchesItsModelFromTheHubAndDictatesIntoAnotherProgram)
{
    // A random English model that reads its tokens as the test tokenizer
    // does, converted into model folders, and that tokenizer, on a hub. Its
    // repeated words always fall back to the highest temperature, whose
    // result is kept: the embedding is wide enough that sampling there still
    // takes the model's choice rather than an empty text.
    const fs::path tokenizer = home / "tokenizer";
    if (!QelTools::writeFetchedTestTokenizer(tokenizer))
        GTEST_SKIP() << "GPT-2's files are absent";
    QelTools::writeRandomGgmlModel(home / "model.bin",
                                   {.seed = 7, .vocab = QelTools::englishVocabularySize,
                                    .pieces = QelTools::ordinaryPieces(tokenizer), .tokenEmbeddingSpread = 6.0f});
    QelTools::convertWhisperModel(home / "model.bin", home / "folders");
    TestSupport::ModelRepositoryHub hub;
    hub.addFolder("openai_whisper-small.en", home / "folders");
    // Its width is no published model's, so the engine takes it for the base size.
    hub.addFolder("", tokenizer, "openai/whisper-base.en");
    environment.insert("HUB_ENDPOINT", QString::fromStdString(hub.server.endpoint()));
    environment.insert("XDG_DOCUMENTS_DIR", QString::fromStdString((home / "documents").string()));
    store(false, "useQelCoreEngine");

    const fs::path wav = home / "speech.wav";
    TestSupport::runShellCommand("espeak-ng -w " + TestSupport::shellQuoted(wav) + " 'dictation by the built-in engine'");
    std::vector<float> speech = TestSupport::microphoneSamples(wav);
    speech.resize(speech.size() + 16000 * 2, 0.0f);

    start();
    EXPECT_TRUE(logHoldsInOrder({"Loading STT engine with model: openai_whisper-small.en...",
                                 "Engine load done. isModelLoaded=true"}));
    EXPECT_THAT(hub.downloaded(), UnorderedElementsAreArray(hub.files()));
    QLineEdit field;
    focus(field);

    postToggle();
    ASSERT_TRUE(waitForLog("Recording started OK"));
    TestSupport::MicrophoneFeed microphone(speech);
    // The first utterance waits for the engine to load its models.
    ASSERT_TRUE(TestSupport::waitUntil([&] { return !field.text().isEmpty(); }, std::chrono::minutes(3)))
        << debugLog();
    EXPECT_TRUE(waitForLog("Transcription result: "));
    TestSupport::saveScreenshot("dictated", field.winId());
    postToggle();

    ASSERT_TRUE(waitForLog("Saved transcript to history: "));
    const auto entries = history();
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_FALSE(entries[0].text.empty());
    EXPECT_TRUE(TestSupport::waitUntil([&] { return field.text().toStdString() == shownInAField(entries[0].text); }))
        << "field: " << field.text().toStdString() << "\nsaved: " << entries[0].text;
    // The tokenizer came from the hub too, at the first transcription.
    EXPECT_THAT(hub.downloaded("openai/whisper-base.en"), IsSupersetOf(hub.files("openai/whisper-base.en")));
    EXPECT_EQ(terminate(), 0);
}
