#include "qel_core.h"

#include "ModelFiles.h"
#include "QelCore/Engine.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <thread>

namespace {

struct EngineDeleter {
    void operator()(qel_engine* engine) const { qel_engine_free(engine); }
};
using EnginePtr = std::unique_ptr<qel_engine, EngineDeleter>;

// The application's adapter copies the text and releases it at once.
std::string transcribe(qel_engine* engine, const std::vector<float>& samples)
{
    char* text = qel_engine_transcribe(engine, samples.data(), static_cast<int64_t>(samples.size()));
    if (!text) {
        const char* error = qel_last_error();
        ADD_FAILURE() << "transcribe failed: " << (error ? error : "no error text");
        return {};
    }
    std::string copy = text;
    qel_string_free(text);
    return copy;
}

class CApi : public testing::Test {
protected:
    std::string modelFile(const QelTools::RandomModelOptions& options, const std::string& name = "ggml-test.bin")
    {
        const auto path = folder_ / name;
        QelTools::writeRandomGgmlModel(path, options);
        return path.string();
    }

    TestSupport::TemporaryFolder folder_;
};

} // namespace

TEST_F(CApi, AdapterCallingSequenceGivesTheSameTextEveryTime)
{
    const auto path = modelFile(tinyModel(51865));
    const auto audio = toneSamples(2.0, 0);
    std::string texts[2];
    for (auto& text : texts) {
        // create, prompt, prewarm, transcribe, free: the adapter's order.
        EnginePtr engine(qel_engine_new(path.c_str(), "auto"));
        ASSERT_TRUE(engine) << qel_last_error();
        EXPECT_EQ(qel_engine_set_initial_prompt(engine.get(), "QEL is a cross-platform voice dictation app. Speak QEL."), 0);
        EXPECT_EQ(qel_engine_prewarm(engine.get()), 0);
        text = transcribe(engine.get(), audio);
    }
    EXPECT_FALSE(texts[0].empty());
    EXPECT_EQ(texts[0], texts[1]);
}

TEST_F(CApi, EmptyAudioGivesEmptyTextAndBadArgumentsFail)
{
    EnginePtr engine(qel_engine_new(modelFile(tinyModel(51864)).c_str(), "en"));
    ASSERT_TRUE(engine) << qel_last_error();
    char* text = qel_engine_transcribe(engine.get(), nullptr, 0);
    ASSERT_NE(text, nullptr);
    EXPECT_STREQ(text, "");
    qel_string_free(text);

    EXPECT_EQ(qel_engine_transcribe(engine.get(), nullptr, 5), nullptr);
    EXPECT_NE(qel_last_error(), nullptr);
    EXPECT_EQ(qel_engine_transcribe(nullptr, nullptr, 0), nullptr);
    EXPECT_NE(qel_engine_set_initial_prompt(nullptr, "x"), 0);
    EXPECT_NE(qel_engine_prewarm(nullptr), 0);
}

TEST_F(CApi, LongAudioIsTranscribedWindowByWindow)
{
    EnginePtr engine(qel_engine_new(modelFile(tinyModel(51865)).c_str(), "en"));
    ASSERT_TRUE(engine) << qel_last_error();
    const auto audio = toneSamples(31.0, 1);
    const std::vector<float> first(audio.begin(), audio.begin() + 480000);
    const std::vector<float> rest(audio.begin() + 480000, audio.end());
    EXPECT_EQ(transcribe(engine.get(), audio), transcribe(engine.get(), first) + transcribe(engine.get(), rest));
}

TEST_F(CApi, EightThreadsOnOneEngineGiveTheTextsOfOneThread)
{
    EnginePtr engine(qel_engine_new(modelFile(tinyModel(51865)).c_str(), "auto"));
    ASSERT_TRUE(engine) << qel_last_error();
    constexpr int kAudios = 4;
    std::vector<std::vector<float>> audios;
    std::vector<std::string> expected;
    for (int i = 0; i < kAudios; ++i) {
        audios.push_back(toneSamples(1.0 + 0.5 * i, i));
        expected.push_back(transcribe(engine.get(), audios.back()));
    }
    EXPECT_NE(expected[0], expected[1]) << "the audio must shape the text";

    std::vector<std::string> results(8);
    {
        std::vector<std::jthread> threads;
        for (int t = 0; t < 8; ++t)
            threads.emplace_back([&, t] { results[t] = transcribe(engine.get(), audios[t % kAudios]); });
    }
    for (int t = 0; t < 8; ++t)
        EXPECT_EQ(results[t], expected[t % kAudios]) << "thread " << t;
}

TEST_F(CApi, LanguageCodesAreCheckedWhenTheEngineIsCreated)
{
    const auto multilingual = modelFile(tinyModel(51865), "ggml-base.bin");
    const auto english = modelFile(tinyModel(51864), "ggml-base.en.bin");
    struct Case {
        const std::string* model;
        const char* language;
        const char* errorFragment; // null: the engine is created
    } cases[] = {
        {&multilingual, "auto", nullptr},
        {&multilingual, "de", nullptr},
        {&multilingual, "haw", nullptr},
        {&multilingual, "xx", "'xx'"},
        {&multilingual, "", "''"},
        {&multilingual, "yue", "'yue'"}, // the hundredth language needs a 51866-token model
        {&english, "de", nullptr},
        {&english, "klingon", "'klingon'"},
    };
    for (const auto& c : cases) {
        EnginePtr engine(qel_engine_new(c.model->c_str(), c.language));
        if (!c.errorFragment) {
            EXPECT_TRUE(engine) << c.language << ": " << qel_last_error();
            continue;
        }
        EXPECT_FALSE(engine) << c.language;
        ASSERT_NE(qel_last_error(), nullptr);
        EXPECT_NE(std::string(qel_last_error()).find(c.errorFragment), std::string::npos) << qel_last_error();
    }
}

TEST_F(CApi, EnglishOnlyModelsIgnoreTheLanguage)
{
    const auto path = modelFile(tinyModel(51864));
    const auto audio = toneSamples(1.5, 2);
    EnginePtr automatic(qel_engine_new(path.c_str(), "auto"));
    EnginePtr german(qel_engine_new(path.c_str(), "de"));
    ASSERT_TRUE(automatic && german);
    EXPECT_EQ(transcribe(automatic.get(), audio), transcribe(german.get(), audio));
}

TEST(CApiErrors, VersionIsBorrowedText)
{
    ASSERT_NE(qel_version(), nullptr);
    EXPECT_FALSE(std::string(qel_version()).empty());
}

TEST(CApiErrors, MissingFileFailsWithAnErrorOnThatThreadOnly)
{
    EXPECT_EQ(qel_engine_new("/nonexistent/ggml-tiny.bin", "auto"), nullptr);
    ASSERT_NE(qel_last_error(), nullptr);
    EXPECT_NE(std::string(qel_last_error()).find("/nonexistent/ggml-tiny.bin"), std::string::npos);
    const char* otherThreadError = "unset";
    std::thread([&] { otherThreadError = qel_last_error(); }).join();
    EXPECT_EQ(otherThreadError, nullptr);
}

// A broken capture device can deliver NaN or infinite samples; they are
// silence, and the rest of the utterance is still recognised.
TEST_F(CApi, NonFiniteSamplesAreSilence)
{
    EnginePtr engine(qel_engine_new(modelFile(tinyModel(51865)).c_str(), "en"));
    ASSERT_TRUE(engine) << qel_last_error();
    auto audio = toneSamples(2.0, 1);
    auto silenced = audio;
    const float broken[] = {NAN, -NAN, INFINITY, -INFINITY};
    for (size_t i = 0; i < 4; ++i)
        for (size_t at = 1000 + i * 7001; at < audio.size(); at += 9973) {
            audio[at] = broken[i];
            silenced[at] = 0.0f;
        }
    const std::string text = transcribe(engine.get(), audio);
    EXPECT_EQ(text, transcribe(engine.get(), silenced));
    EXPECT_NE(text, transcribe(engine.get(), std::vector<float>(audio.size(), 0.0f)));
}

// Scores that are not numbers mean the model or the audio is unusable: the
// call fails instead of spelling out the vocabulary's first piece.
TEST_F(CApi, ScoresThatAreNotNumbersFailTheTranscription)
{
    auto options = tinyModel(51864);
    const auto path = folder_ / "ggml-nan.bin";
    auto bytes = QelTools::randomGgmlModel(options);
    // The file ends with the final norm's bias, always 32-bit floats.
    const float notANumber = NAN;
    std::memcpy(bytes.data() + bytes.size() - sizeof notANumber, &notANumber, sizeof notANumber);
    writeBytes(path, bytes);
    EnginePtr damaged(qel_engine_new(path.c_str(), "en"));
    ASSERT_TRUE(damaged) << qel_last_error();
    // Samples far outside [-1, 1] overflow the spectrum to infinity.
    EnginePtr sound(qel_engine_new(modelFile(options).c_str(), "en"));
    ASSERT_TRUE(sound) << qel_last_error();

    const std::pair<qel_engine*, std::vector<float>> cases[] = {
        {damaged.get(), toneSamples(1.0, 0)},
        {sound.get(), std::vector<float>(16000, 3e38f)},
    };
    for (const auto& [engine, audio] : cases) {
        EXPECT_EQ(qel_engine_transcribe(engine, audio.data(), static_cast<int64_t>(audio.size())), nullptr);
        ASSERT_NE(qel_last_error(), nullptr);
        EXPECT_STREQ(qel_last_error(), "Decoding failed: the model's scores are not finite numbers");
    }
}

// The text joins the model's byte pieces; pieces may hold a NUL or bytes that
// are not UTF-8 on their own.
TEST_F(CApi, TextIsValidUTF8AndNeverCutShortByANul)
{
    auto bytes = QelTools::randomGgmlModel(tinyModel(51864));
    // Every stored piece becomes 'a' alternating with a NUL, or with 0xFF,
    // which is never part of UTF-8.
    size_t at = 56 + 80 * 201 * 4;
    int32_t count;
    std::memcpy(&count, bytes.data() + at, 4);
    at += 4;
    for (int32_t piece = 0; piece < count; ++piece) {
        uint32_t length;
        std::memcpy(&length, bytes.data() + at, 4);
        at += 4;
        for (uint32_t i = 0; i < length; ++i)
            bytes[at + i] = i % 2 == 0 ? std::byte{'a'} : std::byte(piece % 2 ? 0x00 : 0xFF);
        at += length;
    }
    const auto path = folder_ / "ggml-odd-pieces.bin";
    writeBytes(path, bytes);
    const auto audio = toneSamples(2.0, 3);

    const std::string joined = QelCore::Engine(path, "en").transcribe(audio.data(), static_cast<long>(audio.size()));
    ASSERT_NE(joined.find('\0'), std::string::npos);
    ASSERT_NE(joined.find('\xFF'), std::string::npos);
    std::string expected;
    for (char c : joined)
        if (c == '\xFF')
            expected += "\xEF\xBF\xBD";
        else if (c != '\0')
            expected += c;

    EnginePtr engine(qel_engine_new(path.c_str(), "en"));
    ASSERT_TRUE(engine) << qel_last_error();
    EXPECT_EQ(transcribe(engine.get(), audio), expected);
}
