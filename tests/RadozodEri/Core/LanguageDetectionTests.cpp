#include "RadozodEri/Core/TextDecoder.h"

#include "DecoderFixture.h"
#include "RadozodEri/Core/Text/GreedyTokenSampler.h"
#include "RadozodEri/Utilities/WhisperError.h"
#include "Support/LogCapture.h"

#include <gtest/gtest.h>

using namespace RadozodEri;
using namespace DecoderTest;
using Platform::CoreML::Float16;
using Platform::CoreML::MLMultiArray;

namespace {

// The test tokenizer with one more token taken for a language: the second
// timestamp, whose text names no language the engine knows.
class ExtraLanguageTokenizer : public WhisperTokenizer {
public:
    std::vector<int> encode(std::string_view text) const override { return inner_->encode(text); }
    std::string decode(std::span<const int> tokens) const override { return inner_->decode(tokens); }
    std::optional<int> convertTokenToId(std::string_view token) const override
    {
        return inner_->convertTokenToId(token);
    }
    std::optional<std::string> convertIdToToken(int id) const override { return inner_->convertIdToToken(id); }
    const SpecialTokens& specialTokens() const override { return inner_->specialTokens(); }
    const std::unordered_set<int>& allLanguageTokens() const override { return languages_; }
    WordTokens splitToWordTokens(std::span<const int> tokens) const override
    {
        return inner_->splitToWordTokens(tokens);
    }

private:
    std::shared_ptr<const WhisperTokenizer> inner_ = tokenizer();
    std::unordered_set<int> languages_ = [this] {
        auto languages = inner_->allLanguageTokens();
        languages.insert(ts0 + 1);
        return languages;
    }();
};

class LanguageDetection : public ::testing::Test {
protected:
    DecodingResult detect(TextDecoder& decoder, const TestSupport::DecoderGeometry& geometry = windowGeometry())
    {
        const auto inputs = decoder.prepareDecoderInputs({sot});
        inputs->inputIds.setNumber(0, hello);
        inputs->cacheLength.setNumber(0, 5);
        GreedyTokenSampler sampler(0, eot, {});
        auto result = decoder.detectLanguage(encoderOutput(geometry), *inputs, sampler, {}, Float16(0.5f));
        EXPECT_EQ(inputs->inputIds.number(0), sot);
        EXPECT_EQ(inputs->cacheLength.number(0), 0);
        return result;
    }

    TestSupport::TemporaryFolder folder;
};

} // namespace

TEST_F(LanguageDetection, NamesTheMostLikelyLanguageToken)
{
    const auto french = scriptedDecoder(folder.path() / "fr", {fr}, windowGeometry());
    const DecodingResult result = detect(*french);
    EXPECT_EQ(result.language, "fr");
    ASSERT_EQ(result.languageProbs.size(), 1u);
    EXPECT_NEAR(result.languageProbs.at("fr"), 0.0f, 1e-3f);
    EXPECT_TRUE(result.tokens.empty() && result.text.empty() && !result.cache && !result.fallback);
    ASSERT_TRUE(result.timings);
    EXPECT_EQ(result.timings->totalDecodingLoops, 0);

    // A model that prefers a text token: the languages tie, and the first wins.
    const auto decoder = scriptedDecoder(folder.path(), {hello}, windowGeometry());
    const DecodingResult tied = detect(*decoder);
    EXPECT_EQ(tied.language, "en");
    EXPECT_TRUE(tied.languageProbs.contains("en"));
}

TEST_F(LanguageDetection, FallsBackToEnglishForALanguageItDoesNotKnow)
{
    const auto decoder = scriptedDecoder(folder.path(), {ts0 + 1}, windowGeometry());
    decoder->tokenizer = std::make_shared<ExtraLanguageTokenizer>();
    TestSupport::LogCapture log(RuntimeCore::LogLevel::error);
    const DecodingResult result = detect(*decoder);
    EXPECT_EQ(result.language, "en");
    EXPECT_TRUE(result.languageProbs.contains("0.02"));
    EXPECT_EQ(log.lines, std::vector<std::string>{"Detected language 0.02 is not supported, defaulting to en"});
}

TEST_F(LanguageDetection, BuildsItsFilterAgainForTheNextModel)
{
    const auto decoder = scriptedDecoder(folder.path() / "a", {fr}, windowGeometry());
    EXPECT_EQ(detect(*decoder).language, "fr");
    decoder->unloadModel();
    // A larger vocabulary whose favourite token lies beyond the first model's.
    auto larger = windowGeometry();
    larger.vocabulary = 50;
    decoder->loadModel(scriptedModel(folder.path() / "b", {45}, larger), Platform::CoreML::MLComputeUnits::cpuOnly,
                       false);
    const DecodingResult result = detect(*decoder, larger);
    EXPECT_EQ(result.language, "en");
    EXPECT_TRUE(result.languageProbs.contains("en"));
}

TEST_F(LanguageDetection, RefusesWhatItCannotDetectFrom)
{
    TextDecoder unloaded;
    unloaded.tokenizer = tokenizer();
    const auto decoder = scriptedDecoder(folder.path(), {fr}, windowGeometry());
    const auto inputs = decoder->prepareDecoderInputs({sot});
    GreedyTokenSampler sampler(0, eot, {});
    expectWhisperError([&] { unloaded.detectLanguage(encoderOutput(), *inputs, sampler, {}, Float16(0.0f)); },
                       WhisperError::Kind::modelsUnavailable, "Failed to read logits size from model");
    expectWhisperError(
        [&] {
            decoder->detectLanguage(Platform::CoreML::MLFeatureValue(std::int64_t{0}), *inputs, sampler, {},
                                    Float16(0.0f));
        },
        WhisperError::Kind::prepareDecoderInputsFailed, "Input must be MLMultiArray");
    decoder->tokenizer.reset();
    expectWhisperError([&] { decoder->detectLanguage(encoderOutput(), *inputs, sampler, {}, Float16(0.0f)); },
                       WhisperError::Kind::tokenizerUnavailable, "Tokenizer is unavailable");
}
