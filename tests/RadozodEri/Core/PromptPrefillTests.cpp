#include "RadozodEri/Core/TextDecoder.h"

#include "DecoderFixture.h"
#include "RadozodEri/Utilities/WhisperError.h"
#include "Support/LogCapture.h"

#include <gtest/gtest.h>

using namespace RadozodEri;
using namespace DecoderTest;
using Platform::CoreML::MLMultiArray;
using enum Platform::CoreML::MLMultiArrayDataType;

namespace {

class PromptPrefill : public ::testing::Test {
protected:
    std::shared_ptr<PrefillingDecoder> decoder(std::int64_t prefilled, bool multilingual = true)
    {
        auto made = scriptedDecoder<PrefillingDecoder>(folder.path() / std::to_string(count++), {hello},
                                                       windowGeometry(), prefilled);
        made->isModelMultilingual = multilingual;
        return made;
    }

    TestSupport::TemporaryFolder folder;
    int count = 0;
};

DecodingOptions options(std::function<void(DecodingOptions&)> change)
{
    DecodingOptions made;
    change(made);
    return made;
}

} // namespace

TEST_F(PromptPrefill, BuildsTheForcedPromptAndAsksThePrefillForItsStart)
{
    std::vector<int> longPrompt;
    for (int i = 0; i < 200; ++i)
        longPrompt.push_back(i % 10 == 0 ? ts0 : i % 3);
    // The 111 most recent are taken first, then the special ones dropped.
    std::vector<int> keptContext{startOfPrevious};
    for (int i = 89; i < 200; ++i)
        if (i % 10 != 0)
            keptContext.push_back(i % 3);
    keptContext.insert(keptContext.end(), {sot, en, transcribe, ts0});

    struct Case {
        const char* name;
        bool multilingual;
        std::optional<DecodingOptions> options;
        std::vector<int> prompt;
        // (task, language) the prefill was asked for; none: it was not asked.
        std::optional<std::pair<int, int>> request;
    };
    const std::vector<Case> cases{
        {"no options", true, std::nullopt, {sot}, std::nullopt},
        {"English only", false, DecodingOptions{}, {sot, ts0}, std::pair{0, en}},
        {"translate German without timestamps",
         true,
         options([](auto& o) {
             o.language = "de";
             o.task = DecodingTask::translate;
             o.withoutTimestamps = true;
         }),
         {sot, de, translate, noTimestamps},
         std::pair{1, de}},
        {"unknown language",
         true,
         options([](auto& o) { o.language = "xx"; }),
         {sot, en, transcribe, ts0},
         std::pair{0, en}},
        {"empty previous context",
         true,
         options([](auto& o) { o.promptTokens = std::vector<int>{}; }),
         {startOfPrevious, sot, en, transcribe, ts0},
         std::nullopt},
        {"long previous context", true, options([&](auto& o) { o.promptTokens = longPrompt; }), keptContext,
         std::nullopt},
        {"prefix",
         false,
         options([](auto& o) {
             o.prefixTokens = std::vector<int>{hello, eot, world};
         }),
         {sot, ts0, hello, world},
         std::pair{0, en}},
        {"prefill switched off",
         true,
         options([](auto& o) { o.usePrefillCache = false; }),
         {sot, en, transcribe, ts0},
         std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto prefilling = decoder(3, c.multilingual);
        const auto inputs = prefilling->prepareDecoderInputs({sot});
        EXPECT_EQ(&prefilling->prefillDecoderInputs(*inputs, c.options), inputs.get());
        EXPECT_EQ(inputs->initialPrompt, c.prompt);
        if (c.request) {
            EXPECT_EQ(prefilling->requests, std::vector{*c.request});
            EXPECT_EQ(inputs->cacheLength.number(0), 3);
        } else {
            EXPECT_TRUE(prefilling->requests.empty());
            EXPECT_EQ(inputs->cacheLength.number(0), 0);
            EXPECT_EQ(numbers(inputs->kvCacheUpdateMask, 2), (std::vector<double>{1, 0}));
            EXPECT_EQ(numbers(inputs->decoderKeyPaddingMask, 2), (std::vector<double>{0, -10000}));
        }
    }
}

TEST_F(PromptPrefill, OpensThePrefilledPositionsAndKeepsThePrefillsCaches)
{
    const auto prefilling = decoder(3);
    const auto inputs = prefilling->prepareDecoderInputs({sot});
    prefilling->prefillDecoderInputs(*inputs, DecodingOptions{});

    EXPECT_EQ(inputs->cacheLength.number(0), 3);
    EXPECT_EQ(numbers(inputs->kvCacheUpdateMask, 5), (std::vector<double>{0, 0, 0, 1, 0}));
    EXPECT_EQ(numbers(inputs->decoderKeyPaddingMask, 5), (std::vector<double>{0, 0, 0, 0, -10000}));
    // Channel 1 of the key cache: the three prefilled positions, then nothing.
    std::vector<double> channel1;
    for (std::int64_t position = 224; position < 228; ++position)
        channel1.push_back(inputs->keyCache.number(position));
    EXPECT_EQ(numbers(inputs->keyCache, 4), (std::vector<double>{7, 7, 7, 0}));
    EXPECT_EQ(channel1, (std::vector<double>{7, 7, 7, 0}));
    EXPECT_TRUE(inputs->prefillKeyCache.isSameArray(*prefilling->answer->keyCache));
    EXPECT_TRUE(inputs->prefillValueCache.isSameArray(*prefilling->answer->valueCache));
}

TEST_F(PromptPrefill, RefusesAPrefillThatDoesNotFitTheWindow)
{
    const auto halves = [](std::vector<std::int64_t> shape) { return MLMultiArray(std::move(shape), float16); };
    struct Case {
        const char* name;
        std::optional<MLMultiArray> keys;
        std::optional<MLMultiArray> values;
    };
    const std::vector<Case> cases{
        {"no positions", halves({1, 4, 1, 0}), halves({1, 4, 1, 0})},
        {"the whole cache", halves({1, 4, 1, 224}), halves({1, 4, 1, 224})},
        {"other channels", halves({1, 3, 1, 3}), halves({1, 3, 1, 3})},
        {"single floats", MLMultiArray({1, 4, 1, 3}, float32), halves({1, 4, 1, 3})},
        {"no values", halves({1, 4, 1, 3}), std::nullopt},
        {"values of another length", halves({1, 4, 1, 3}), halves({1, 4, 1, 2})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto prefilling = decoder(3);
        prefilling->answer = DecodingCache{c.keys, c.values, std::nullopt};
        const auto inputs = prefilling->prepareDecoderInputs({sot});
        try {
            prefilling->prefillDecoderInputs(*inputs, DecodingOptions{});
            ADD_FAILURE() << "the prefill was used";
        } catch (const WhisperError& error) {
            EXPECT_EQ(error.kind(), WhisperError::Kind::prefillFailed) << error.what();
        }
        EXPECT_EQ(inputs->cacheLength.number(0), 0);
    }
}

TEST_F(PromptPrefill, GoesOnWithoutACacheWhenThePrefillGivesNone)
{
    const auto prefilling = decoder(3);
    prefilling->answer.reset();
    const auto inputs = prefilling->prepareDecoderInputs({sot});
    TestSupport::LogCapture log(RuntimeCore::LogLevel::error);
    prefilling->prefillDecoderInputs(*inputs, DecodingOptions{});
    EXPECT_EQ(log.lines, std::vector<std::string>{"Unable to prefill cache"});
    EXPECT_EQ(inputs->initialPrompt, (std::vector<int>{sot, en, transcribe, ts0}));
    EXPECT_EQ(inputs->cacheLength.number(0), 0);
}

TEST_F(PromptPrefill, NeedsATokenizerAndTheFullBuffers)
{
    const auto prefilling = decoder(3);
    const auto inputs = prefilling->prepareDecoderInputs({sot});
    struct OtherInputs : DecodingInputsType {
        OtherInputs() : DecodingInputsType({}, MLMultiArray({1}, int32), MLMultiArray({1}, int32)) {}
        void reset(int, int) override {}
    } other;
    try {
        prefilling->prefillDecoderInputs(other, DecodingOptions{});
        ADD_FAILURE();
    } catch (const WhisperError& error) {
        EXPECT_STREQ(error.what(), "Unable to cast decoderInputs to DecodingInputs");
    }
    prefilling->tokenizer.reset();
    try {
        prefilling->prefillDecoderInputs(*inputs, DecodingOptions{});
        ADD_FAILURE();
    } catch (const WhisperError& error) {
        EXPECT_EQ(error.kind(), WhisperError::Kind::tokenizerUnavailable);
        EXPECT_STREQ(error.what(), "Tokenizer is unavailable");
    }
}
