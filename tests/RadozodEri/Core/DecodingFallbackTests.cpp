#include "RadozodEri/Core/DecodingFallback.h"

#include <cmath>
#include <gtest/gtest.h>

using namespace RadozodEri;

namespace {

struct Case {
    const char* name;
    DecodingOptions options;
    bool firstTokenTooLow;
    float noSpeechProb;
    float compressionRatio;
    float avgLogProb;
    std::optional<std::pair<bool, std::string>> verdict;
};

const DecodingOptions noThresholds {.compressionRatioThreshold = std::nullopt,
                                    .logProbThreshold = std::nullopt,
                                    .firstTokenLogProbThreshold = std::nullopt,
                                    .noSpeechThreshold = std::nullopt};

} // namespace

TEST(DecodingFallback, FirstTestThatFiresDecides)
{
    const float nan = std::nanf("");
    const Case cases[] = {
        {"first token wins over silence", {}, true, 0.9f, 3.0f, -5, std::pair {true, "firstTokenLogProbThreshold"}},
        {"silence asks for no retry", {}, false, 0.61f, 3.0f, -5, std::pair {false, "silence"}},
        {"compression", {}, false, 0.1f, 2.5f, -5, std::pair {true, "compressionRatioThreshold"}},
        {"log probability", {}, false, 0.1f, 1.0f, -1.01f, std::pair {true, "logProbThreshold"}},
        {"good window", {}, false, 0.1f, 1.0f, -0.5f, std::nullopt},
        {"comparisons are strict", {}, false, 0.6f, 2.4f, -1.0f, std::nullopt},
        {"NaN fires nothing", {}, false, nan, nan, nan, std::nullopt},
        {"no thresholds", noThresholds, false, 0.99f, 9.0f, -9.0f, std::nullopt},
        {"compression without a log-probability threshold",
         {.logProbThreshold = std::nullopt}, false, 0.1f, 2.5f, -9.0f, std::pair {true, "compressionRatioThreshold"}},
        {"no log-probability threshold ends the rule",
         {.logProbThreshold = std::nullopt}, false, 0.1f, 1.0f, -9.0f, std::nullopt},
    };
    for (const Case& c : cases) {
        auto fallback =
            DecodingFallback::evaluate(c.options, c.firstTokenTooLow, c.noSpeechProb, c.compressionRatio, c.avgLogProb);
        ASSERT_EQ(fallback.has_value(), c.verdict.has_value()) << c.name;
        if (fallback) {
            EXPECT_EQ(fallback->needsFallback, c.verdict->first) << c.name;
            EXPECT_EQ(fallback->fallbackReason, c.verdict->second) << c.name;
        }
    }
}
