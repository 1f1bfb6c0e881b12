#include "RadozodEri/Core/DecodingOptions.h"

#include "RadozodEri/JSONText.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>

using namespace RadozodEri;
using Platform::JSON::DecodingError;
using TestSupport::decodedText;
using TestSupport::encodedText;

TEST(DecodingOptions, DefaultsAndTheLanguageDetectionRule)
{
    const DecodingOptions defaults;
    EXPECT_EQ(defaults.task, DecodingTask::transcribe);
    EXPECT_FALSE(defaults.language);
    EXPECT_EQ(defaults.temperatureIncrementOnFallback, 0.2f);
    EXPECT_EQ(defaults.temperatureFallbackCount, 5);
    EXPECT_EQ(defaults.sampleLength, 224);
    EXPECT_TRUE(defaults.usePrefillPrompt);
    EXPECT_FALSE(defaults.detectLanguage);
    EXPECT_TRUE(defaults.supressTokens.empty());
    EXPECT_EQ(defaults.compressionRatioThreshold, 2.4f);
    EXPECT_EQ(defaults.logProbThreshold, -1.0f);
    EXPECT_EQ(defaults.firstTokenLogProbThreshold, -1.5f);
    EXPECT_EQ(defaults.noSpeechThreshold, 0.6f);
    EXPECT_EQ(defaults.concurrentWorkerCount, 16);
    EXPECT_FALSE(defaults.chunkingStrategy);

    EXPECT_TRUE(DecodingOptions {.usePrefillPrompt = false}.detectLanguage);
    EXPECT_FALSE((DecodingOptions {.usePrefillPrompt = false, .detectLanguage = false}.detectLanguage));
    EXPECT_TRUE((DecodingOptions {.usePrefillPrompt = true, .detectLanguage = true}.detectLanguage));
}

TEST(DecodingOptions, DefaultJSONLeavesOutAbsentOptionalsAndReadsBackEqual)
{
    const std::string text = encodedText(DecodingOptions {});
    for (const char* absent :
         {"language", "maxInitialTimestamp", "maxWindowSeek", "promptTokens", "prefixTokens", "chunkingStrategy"})
        EXPECT_EQ(text.find('"' + std::string(absent) + '"'), std::string::npos) << absent;
    EXPECT_NE(text.find(R"("task":{"transcribe":{}})"), std::string::npos);
    EXPECT_NE(text.find(R"("supressTokens":[])"), std::string::npos);
    // 32-bit floats in their own shortest form.
    EXPECT_NE(text.find(R"("temperatureIncrementOnFallback":0.2,)"), std::string::npos);
    EXPECT_EQ(decodedText<DecodingOptions>(text), DecodingOptions {});

    const DecodingOptions full {
        .task = DecodingTask::translate,
        .language = "de",
        .maxInitialTimestamp = 1.5f,
        .maxWindowSeek = 48000,
        .clipTimestamps = {0.5f, 2},
        .promptTokens = std::vector<int> {1, 2},
        .prefixTokens = std::vector<int> {},
        .supressTokens = {50257},
        .logProbThreshold = std::nullopt,
        .chunkingStrategy = ChunkingStrategy::vad,
    };
    const std::string fullText = encodedText(full);
    EXPECT_NE(fullText.find(R"("chunkingStrategy":"vad")"), std::string::npos);
    EXPECT_EQ(fullText.find("logProbThreshold"), std::string::npos);
    EXPECT_EQ(decodedText<DecodingOptions>(fullText), full);
}

TEST(DecodingOptions, ReadingAppliesNoDefaults)
{
    rapidjson::Document document = Platform::JSON::parseDocument(encodedText(DecodingOptions {}));

    document.RemoveMember("concurrentWorkerCount");
    try {
        Platform::JSON::decode<DecodingOptions>(document);
        FAIL() << "read without concurrentWorkerCount";
    } catch (const DecodingError& error) {
        EXPECT_NE(std::string(error.what()).find("concurrentWorkerCount"), std::string::npos);
    }

    document.AddMember("concurrentWorkerCount", 4, document.GetAllocator());
    document.AddMember("language", rapidjson::Value(rapidjson::kNullType), document.GetAllocator());
    document.AddMember("unknownKey", true, document.GetAllocator());
    const DecodingOptions read = Platform::JSON::decode<DecodingOptions>(document);
    EXPECT_FALSE(read.language);
    EXPECT_EQ(read.concurrentWorkerCount, 4);
}

TEST(DecodingOptions, TaskNeedsExactlyOneRecognisedKey)
{
    struct Case {
        const char* json;
        std::optional<DecodingTask> task;
    };
    const Case cases[] = {
        {R"({"transcribe":{}})", DecodingTask::transcribe},
        {R"({"translate":{},"note":{}})", DecodingTask::translate},
        {R"({})", std::nullopt},
        {R"({"transcribe":{},"translate":{}})", std::nullopt},
        {R"({"Transcribe":{}})", std::nullopt},
    };
    for (const Case& c : cases) {
        if (c.task) {
            EXPECT_EQ(decodedText<DecodingTask>(c.json), *c.task) << c.json;
            continue;
        }
        try {
            decodedText<DecodingTask>(c.json);
            ADD_FAILURE() << c.json;
        } catch (const DecodingError& error) {
            EXPECT_STREQ(error.what(), "Invalid number of keys found, expected one.") << c.json;
        }
    }
    EXPECT_THROW(decodedText<DecodingTask>(R"("transcribe")"), DecodingError);
    EXPECT_THROW(decodedText<DecodingTask>(R"({"transcribe":1})"), DecodingError);
}

TEST(DecodingOptions, ChunkingStrategyIsExactlyNoneOrVad)
{
    EXPECT_EQ(chunkingStrategy("vad"), ChunkingStrategy::vad);
    EXPECT_EQ(chunkingStrategy("none"), ChunkingStrategy::none);
    EXPECT_FALSE(chunkingStrategy("VAD"));
    EXPECT_FALSE(chunkingStrategy(""));
    EXPECT_THROW(decodedText<ChunkingStrategy>(R"("VAD")"), DecodingError);
    EXPECT_EQ(description(DecodingTask::translate), "translate");
}

TEST(DecodingOptions, SeekClipsPairRoundedSamplePositionsInGivenOrder)
{
    constexpr std::int64_t n = 20000;
    struct Case {
        std::vector<float> clipTimestamps;
        std::vector<SeekClip> clips;
    };
    const Case cases[] = {
        {{}, {{0, n}}},
        {{0.5f}, {{8000, n}}},
        {{1.00003f}, {{16000, n}}},
        {{1.5f}, {{24000, n}}},
        {{2, 1}, {{32000, 16000}}},
        {{1, 2}, {{16000, 32000}}},
        {{1, 2, 3}, {{16000, 32000}, {48000, n}}},
        // Positions before the audio are passed on as they are.
        {{-1}, {{-16000, n}}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DecodingOptions {.clipTimestamps = c.clipTimestamps}.prepareSeekClips(n), c.clips)
            << testing::PrintToString(c.clipTimestamps);
}

TEST(DecodingOptions, SeekClipsRefuseTimesThatAreNoSamplePosition)
{
    const float refused[] = {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
                             -std::numeric_limits<float>::infinity(), 6e14f, -6e14f};
    for (float time : refused) {
        const DecodingOptions options {.clipTimestamps = {0, time}};
        EXPECT_THROW(options.prepareSeekClips(100), std::invalid_argument) << time;
    }
    const DecodingOptions farButFitting {.clipTimestamps = {5e14f, -5e14f}};
    EXPECT_EQ(farButFitting.prepareSeekClips(100).size(), 1u);
}
