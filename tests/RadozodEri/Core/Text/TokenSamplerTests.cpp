#include "RadozodEri/Core/Text/BeamSearchTokenSampler.h"
#include "RadozodEri/Core/Text/GreedyTokenSampler.h"
#include "RadozodEri/Doubles/StepLogits.h"
#include "RadozodEri/Utilities/WhisperError.h"

#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>

using namespace RadozodEri;
using TestSupport::stepLogits;

namespace {

constexpr int eot = 3;

// log(softmax(scores / temperature))[token], in doubles.
double logSoftmax(const std::vector<float>& scores, double temperature, int token)
{
    double total = 0;
    for (float score : scores)
        total += std::exp(score / temperature);
    return scores[token] / temperature - std::log(total);
}

GreedyTokenSampler sampler(float temperature, std::int64_t topK, std::uint64_t randomBits = 0)
{
    return GreedyTokenSampler(temperature, eot, DecodingOptions{.topK = topK}, [=] { return randomBits; });
}

} // namespace

TEST(GreedyTokenSampler, PicksByTemperatureTopKAndDraw)
{
    const std::vector<float> scores{1.0f, 3.0f, 2.0f, 0.0f, -1.0f};
    struct Case {
        const char* name;
        float temperature;
        std::int64_t topK;
        std::uint64_t randomBits;
        int token;
        double logProbTemperature;
    };
    const Case cases[] = {
        {"temperature 0 takes the arg-max", 0.0f, 5, 0xFFFFFF, 1, 1.0},
        {"the lowest draw takes the most probable", 2.0f, 3, 0, 1, 2.0},
        {"the highest draw takes the last of the k", 2.0f, 3, 0xFFFFFF, 0, 2.0},
        {"only the low 24 bits count", 2.0f, 3, 0xFFFFFFFFFF000000, 1, 2.0},
        {"a draw just past the first share takes the second", 2.0f, 3, 0x8F0000, 2, 2.0},
        {"top-k 1 at a temperature is the arg-max", 1.0f, 1, 0xFFFFFF, 1, 1.0},
        {"top-k below 1 counts as 1", 1.0f, 0, 0xFFFFFF, 1, 1.0},
        {"top-k above the vocabulary counts as all of it", 1.0f, 100, 0xFFFFFF, 4, 1.0},
    };
    for (const Case& c : cases) {
        auto picker = sampler(c.temperature, c.topK, c.randomBits);
        const SamplingResult result = picker.update({7, 8}, stepLogits(scores), {-0.5f, -0.25f});
        ASSERT_EQ(result.tokens, (std::vector<int>{7, 8, c.token})) << c.name;
        ASSERT_EQ(result.logProbs.size(), 3u);
        EXPECT_EQ(result.logProbs[1], -0.25f) << c.name;
        EXPECT_NEAR(result.logProbs[2], logSoftmax(scores, c.logProbTemperature, c.token), 1e-5) << c.name;
        EXPECT_FALSE(result.completed) << c.name;
    }
}

TEST(GreedyTokenSampler, KeepsTheTemperatureInHalfPrecision)
{
    EXPECT_EQ(static_cast<float>(sampler(0.2f, 5).temperature), 0.199951171875f);
}

TEST(GreedyTokenSampler, CompletesAtTheEndOfText)
{
    auto picker = sampler(0.0f, 5);
    EXPECT_TRUE(picker.update({1}, stepLogits({0, 0, 0, 9}), {0.0f}).completed);
    EXPECT_EQ(picker.finalize({}, {}), (SamplingResult{{eot}, {0.0f}, true}));
    EXPECT_EQ(picker.finalize({5}, {-1.0f}), (SamplingResult{{5, eot}, {-1.0f, 0.0f}, true}));
    EXPECT_EQ(picker.finalize({5, eot}, {-1.0f, -2.0f}), (SamplingResult{{5, eot}, {-1.0f, -2.0f}, true}));
}

TEST(GreedyTokenSampler, RefusesLogitsOfAnotherShapeOrTypeOrFullyMasked)
{
    auto picker = sampler(0.0f, 5);
    const Platform::CoreML::MLMultiArray wrong[] = {
        Platform::CoreML::MLMultiArray({1, 2, 4}, Platform::CoreML::MLMultiArrayDataType::float16),
        Platform::CoreML::MLMultiArray({4}, Platform::CoreML::MLMultiArrayDataType::float16),
        Platform::CoreML::MLMultiArray({1, 1, 4}, Platform::CoreML::MLMultiArrayDataType::float32),
        Platform::CoreML::MLMultiArray({1, 1, 0}, Platform::CoreML::MLMultiArrayDataType::float16),
        stepLogits({-INFINITY, -INFINITY}), // nothing left to sample
    };
    for (const auto& logits : wrong) {
        try {
            picker.update({}, logits, {});
            ADD_FAILURE() << Platform::CoreML::shapeText(logits.shape());
        } catch (const WhisperError& error) {
            EXPECT_EQ(error.kind(), WhisperError::Kind::decodingLogitsFailed);
        }
    }
}

TEST(BeamSearchTokenSampler, RefusesBadSettingsAndSampling)
{
    BeamSearchTokenSampler beams(5, eot, 1.5f);
    EXPECT_EQ(beams.maxCandidates(), 7);
    EXPECT_THROW(
        {
            try {
                BeamSearchTokenSampler(1, eot, 0.5f);
            } catch (const std::invalid_argument& error) {
                EXPECT_STREQ(error.what(), "Invalid beam size 1 or patience 0.5");
                throw;
            }
        },
        std::invalid_argument);
    EXPECT_THROW(BeamSearchTokenSampler(2, eot, NAN), std::invalid_argument);
    try {
        beams.update({}, stepLogits({0}), {});
        ADD_FAILURE();
    } catch (const std::logic_error& error) {
        EXPECT_STREQ(error.what(), "Not implemented: update(tokens:logits:logProbs:)");
    }
    try {
        beams.finalize({}, {});
        ADD_FAILURE();
    } catch (const std::logic_error& error) {
        EXPECT_STREQ(error.what(), "Not implemented: finalize(tokens:logProbs:)");
    }
}
