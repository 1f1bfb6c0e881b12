#include "RadozodEri/Core/TextDecoder.h"

#include "DecoderFixture.h"
#include "RadozodEri/Core/Text/GreedyTokenSampler.h"
#include "RadozodEri/Core/Text/Logits.h"
#include "RadozodEri/Core/Text/SuppressBlankFilter.h"
#include "RadozodEri/Core/Text/SuppressTokensFilter.h"
#include "RadozodEri/Core/Text/TimestampRulesFilter.h"
#include "RadozodEri/Utilities/WhisperError.h"
#include "RuntimeCore/Cancellation.h"
#include "Support/LogCapture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace RadozodEri;
using namespace DecoderTest;
using Platform::CoreML::MLMultiArray;

namespace {

// A filter of the test's own, run before the built-in ones at every step.
class StepFilter : public LogitsFiltering {
public:
    explicit StepFilter(std::function<void(MLMultiArray&, std::span<const int>)> step) : step_(std::move(step)) {}
    MLMultiArray filterLogits(MLMultiArray logits, std::span<const int> tokens) override
    {
        step_(logits, tokens);
        return logits;
    }

private:
    std::function<void(MLMultiArray&, std::span<const int>)> step_;
};

class DecodingLoop : public ::testing::Test {
protected:
    // A decoder over `script`; with `prefilled` > 0 its prefill covers that
    // many positions. Its inputs are prepared and prefilled for `options`.
    std::shared_ptr<PrefillingDecoder> decoder(const std::vector<int>& script, std::int64_t prefilled = 0,
                                               bool multilingual = true)
    {
        auto made = scriptedDecoder<PrefillingDecoder>(folder.path() / std::to_string(count++), script,
                                                       windowGeometry(), prefilled);
        made->isModelMultilingual = multilingual;
        return made;
    }

    DecodingResult decode(TextDecoder& decoder, const DecodingOptions& options, std::stop_token stop = {})
    {
        inputs = decoder.prepareDecoderInputs({sot});
        decoder.prefillDecoderInputs(*inputs, options);
        GreedyTokenSampler sampler(0, eot, options);
        return decoder.decodeText(encoderOutput(), *inputs, sampler, options, {}, std::move(stop));
    }

    TestSupport::TemporaryFolder folder;
    int count = 0;
    std::shared_ptr<DecodingInputs> inputs;
};

bool logged(const std::vector<std::string>& lines, const std::string& line)
{
    return std::ranges::find(lines, line) != lines.end();
}

std::size_t countStarting(const std::vector<std::string>& lines, const std::string& prefix)
{
    return static_cast<std::size_t>(
        std::ranges::count_if(lines, [&](const auto& line) { return line.starts_with(prefix); }));
}

} // namespace

TEST_F(DecodingLoop, StartsAfterThePrefilledPositionsWhereTheModelsTimestampReplacesTheForcedOne)
{
    const auto prefilled = decoder({fullStop, fullStop, fullStop, hello, world, eot}, 3);
    TestSupport::LogCapture log;
    const DecodingResult result = decode(*prefilled, {});
    EXPECT_TRUE(logged(log.lines, "Skipping prompt tokenIndex: 3, token: 29, text: <|0.00|>"));
    EXPECT_EQ(countStarting(log.lines, "Forcing prompt tokenIndex: "), 0u);
    EXPECT_TRUE(logged(log.lines, "Running main loop for a maximum of 223 iterations, starting at index 3"));
    // The dump before position 5: row 4 of the alignment weights, W = 10
    // elements a row, holds the weight of the step at position 3.
    EXPECT_TRUE(logged(log.lines, "Cache Length:  5 Input Token:    1"));
    EXPECT_TRUE(logged(log.lines, " 0.000000 |  4.000000 |  1.000000 |           0 |            0 | 4"));

    EXPECT_EQ(result.tokens, (std::vector<int>{sot, en, transcribe, ts0, hello, world, eot}));
    EXPECT_EQ(result.text, "<|startoftranscript|><|en|><|transcribe|><|0.00|> Hello world<|endoftext|>");
    EXPECT_EQ(result.tokenLogProbs.size(), result.tokens.size());
    EXPECT_EQ(result.tokenLogProbs[4].begin()->first, hello);
    EXPECT_EQ(result.language, "en");
    EXPECT_EQ(result.languageProbs, (std::map<std::string, float>{{"en", 0.0f}}));
    EXPECT_EQ(result.noSpeechProb, 0);
    ASSERT_TRUE(result.timings);
    EXPECT_EQ(result.timings->totalDecodingLoops, 3);
    EXPECT_EQ(result.timings->totalKVUpdateRuns, 2);
    EXPECT_LT(result.timings->firstTokenTime, std::numeric_limits<double>::max());
    // The sampled tokens went into the cache after the prefill's: channel 1
    // holds each fed token's low part, and its value the position.
    EXPECT_EQ(inputs->keyCache.number(224 + 3), ts0);
    EXPECT_EQ(inputs->keyCache.number(224 + 4), hello);
    EXPECT_EQ(inputs->valueCache.number(4), 4);
    ASSERT_TRUE(result.cache && result.cache->alignmentWeights);
    EXPECT_TRUE(result.cache->keyCache->isSameArray(inputs->keyCache));
}

TEST_F(DecodingLoop, WithoutPrefillForcesThePromptAndDropsWhatIsSampledInIt)
{
    struct Case {
        int sampledAtPosition2;
        std::vector<int> tokens;
    };
    for (const Case& c : {Case{ts0 + 1, {sot, en, transcribe, ts0 + 1, world, eot}},
                          Case{hello, {sot, en, transcribe, ts0, world, eot}}}) {
        SCOPED_TRACE(c.sampledAtPosition2);
        const auto unprefilled = decoder({hello, hello, c.sampledAtPosition2, world, eot});
        TestSupport::LogCapture log;
        const DecodingResult result = decode(*unprefilled, {});
        for (int position : {0, 1, 2})
            EXPECT_EQ(countStarting(log.lines, "Forcing prompt tokenIndex: " + std::to_string(position) + ","), 1u);
        EXPECT_EQ(countStarting(log.lines, "Skipping prompt tokenIndex: 3,"), c.sampledAtPosition2 == hello ? 0u : 1u);
        EXPECT_EQ(result.tokens, c.tokens);
        EXPECT_EQ(result.timings->totalDecodingLoops, 5);
    }
}

TEST_F(DecodingLoop, EndsAtAnUnlikelyFirstTokenAndAfterTheTokenBudget)
{
    // The first sampled token gets log probability −2: its score x among 39
    // zeros has x − log(eˣ + 39) = −2.
    const auto unlikely = decoder({hello}, 3);
    const float score = std::log(39 * std::exp(-2.0f) / (1 - std::exp(-2.0f)));
    unlikely->logitsFilters->push_back(std::make_shared<StepFilter>([&](MLMultiArray& logits, auto) {
        auto scores = logitScores(logits);
        std::ranges::fill(scores, Float16(0.0f));
        scores[world] = Float16(score);
    }));
    DecodingOptions options;
    options.withoutTimestamps = true;
    const DecodingResult first = decode(*unlikely, options);
    ASSERT_TRUE(first.fallback);
    EXPECT_EQ(first.fallback->fallbackReason, "firstTokenLogProbThreshold");
    EXPECT_EQ(first.tokens, (std::vector<int>{sot, en, transcribe, noTimestamps, eot}));
    EXPECT_EQ(first.timings->totalKVUpdateRuns, 0);
    EXPECT_EQ(first.timings->firstTokenTime, std::numeric_limits<double>::max());

    // Positions 3 to 222 at most: the tokens never outgrow the budget.
    const DecodingResult full = decode(*decoder({hello}, 3), {});
    EXPECT_EQ(full.timings->totalDecodingLoops, 220);
    EXPECT_EQ(full.timings->totalKVUpdateRuns, 219);
    EXPECT_EQ(full.tokens.size(), 224u);
    EXPECT_EQ(full.tokens.back(), eot);
    EXPECT_EQ(full.fallback->fallbackReason, "compressionRatioThreshold");

    DecodingOptions short_;
    short_.sampleLength = 6;
    EXPECT_EQ(decode(*decoder({hello}, 3), short_).timings->totalDecodingLoops, 3);
}

TEST_F(DecodingLoop, NamesTheLanguageOfTheOptionsOrOfThePrompt)
{
    struct Case {
        std::optional<std::string> language;
        bool multilingual;
        std::string detected;
    };
    for (const Case& c : {Case{"fr", true, "fr"}, Case{std::nullopt, false, "en"}, Case{"de", false, "de"}}) {
        SCOPED_TRACE(c.detected);
        DecodingOptions options;
        options.language = c.language;
        const DecodingResult result = decode(*decoder({hello, hello, hello, hello, eot}, 0, c.multilingual), options);
        EXPECT_EQ(result.language, c.detected);
        EXPECT_EQ(result.languageProbs, (std::map<std::string, float>{{c.detected, 0.0f}}));
    }
    // Without a language in the options, the prompt's language token names it.
    DecodingOptions german;
    german.language = "de";
    const auto multilingual = decoder({hello, hello, hello, hello, eot});
    inputs = multilingual->prepareDecoderInputs({sot});
    multilingual->prefillDecoderInputs(*inputs, german);
    GreedyTokenSampler sampler(0, eot, {});
    const DecodingResult result = multilingual->decodeText(encoderOutput(), *inputs, sampler, DecodingOptions{});
    EXPECT_EQ(result.language, "de");
}

TEST_F(DecodingLoop, BuildsTheFiltersOfAWindow)
{
    const auto plain = decoder({hello});
    const auto configured = std::make_shared<StepFilter>([](auto&, auto) {});
    plain->logitsFilters = {configured};
    DecodingOptions options;
    options.suppressBlank = true;
    options.supressTokens = {eot, ts0, sot};
    options.maxInitialTimestamp = 1.0f;
    const auto filters = plain->createLogitsFilters(options, 3, 4, *tokenizer());
    ASSERT_EQ(filters.size(), 4u);
    EXPECT_EQ(filters[0], configured);
    // Blank suppression acts at the first sampled position, after the whole
    // prompt, even where the prefill covered only part of it.
    EXPECT_EQ(dynamic_cast<SuppressBlankFilter&>(*filters[1]).sampleBegin, 4);
    EXPECT_TRUE(dynamic_cast<SuppressTokensFilter&>(*filters[2]).suppressTokens.empty());
    const auto& timestamps = dynamic_cast<TimestampRulesFilter&>(*filters[3]);
    EXPECT_EQ(timestamps.sampleBegin, 4);
    EXPECT_EQ(timestamps.maxInitialTimestampIndex, 50);

    options.withoutTimestamps = true;
    options.supressTokens.clear();
    EXPECT_EQ(plain->createLogitsFilters(options, 3, 4, *tokenizer()).size(), 2u);
    options.withoutTimestamps = false;
    options.maxInitialTimestamp = std::numeric_limits<float>::infinity();
    EXPECT_THROW(plain->createLogitsFilters(options, 3, 4, *tokenizer()), WhisperError);
}

TEST_F(DecodingLoop, SuppressesABlankStartAfterAPrefill)
{
    DecodingOptions options;
    options.withoutTimestamps = true;
    options.suppressBlank = true;
    // With it masked, the first token is one of many equals, and unlikely.
    options.firstTokenLogProbThreshold.reset();
    const DecodingResult result = decode(*decoder({eot}, 3), options);
    // The end of text the model prefers first is suppressed; the next step
    // may end the window.
    EXPECT_EQ(result.tokens, (std::vector<int>{sot, en, transcribe, noTimestamps, hello, eot}));
}

TEST_F(DecodingLoop, LeavesNoStopFlagBehindHoweverTheWindowEnds)
{
    const auto finishing = decoder({hello, hello, hello, hello, eot});
    decode(*finishing, {});
    EXPECT_EQ(finishing->earlyStopActor->count(), 0u);

    // The model refuses a token outside its vocabulary.
    const auto failing = decoder({hello});
    inputs = failing->prepareDecoderInputs({sot, 99});
    GreedyTokenSampler sampler(0, eot, {});
    EXPECT_THROW(failing->decodeText(encoderOutput(), *inputs, sampler, {}), std::exception);
    EXPECT_EQ(failing->earlyStopActor->count(), 0u);

    // Asked to stop between two steps, the next prediction does not run.
    const auto cancelled = decoder({hello});
    std::stop_source stop;
    int steps = 0;
    cancelled->logitsFilters->push_back(std::make_shared<StepFilter>([&](auto&, auto) {
        if (++steps == 2)
            stop.request_stop();
    }));
    EXPECT_THROW(decode(*cancelled, {}, stop.get_token()), RuntimeCore::CancellationError);
    EXPECT_EQ(steps, 2);
    EXPECT_EQ(cancelled->earlyStopActor->count(), 0u);
}

TEST_F(DecodingLoop, RefusesWhatItCannotDecode)
{
    const auto plain = decoder({hello});
    inputs = plain->prepareDecoderInputs({sot});
    GreedyTokenSampler sampler(0, eot, {});
    expectWhisperError(
        [&] { plain->decodeText(Platform::CoreML::MLFeatureValue(std::int64_t{1}), *inputs, sampler, {}); },
        WhisperError::Kind::prepareDecoderInputsFailed, "Input must be MLMultiArray");
    struct OtherInputs : DecodingInputsType {
        OtherInputs()
            : DecodingInputsType({sot}, MLMultiArray({1}, Platform::CoreML::MLMultiArrayDataType::int32),
                                 MLMultiArray({1}, Platform::CoreML::MLMultiArrayDataType::int32))
        {
        }
        void reset(int, int) override {}
    } other;
    expectWhisperError([&] { plain->decodeText(encoderOutput(), other, sampler, {}); },
                       WhisperError::Kind::prepareDecoderInputsFailed, "DecodingInputsType must be DecodingInputs");
    inputs->reset(-1, 224);
    EXPECT_THROW(plain->decodeText(encoderOutput(), *inputs, sampler, {}), WhisperError);
    inputs->reset(0, 224);
    inputs->initialPrompt.clear();
    EXPECT_THROW(plain->decodeText(encoderOutput(), *inputs, sampler, {}), WhisperError);

    // A model whose cache is shorter than a window's budget.
    TestSupport::DecoderGeometry small = windowGeometry();
    small.sequence = 8;
    const auto shortCache = scriptedDecoder(folder.path() / "short", {hello}, small);
    const auto shortInputs = shortCache->prepareDecoderInputs({sot});
    try {
        shortCache->decodeText(encoderOutput(small), *shortInputs, sampler, {});
        ADD_FAILURE();
    } catch (const WhisperError& error) {
        EXPECT_EQ(error.kind(), WhisperError::Kind::decodingFailed);
    }

    plain->tokenizer.reset();
    expectWhisperError([&] { plain->decodeText(encoderOutput(), *inputs, sampler, {}); },
                       WhisperError::Kind::tokenizerUnavailable, "Tokenizer is unavailable");
}
