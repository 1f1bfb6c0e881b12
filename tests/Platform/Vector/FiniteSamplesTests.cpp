#include "Platform/Vector/FiniteSamples.h"

#include <gtest/gtest.h>

#include <limits>
#include <vector>

TEST(FiniteSamples, OneValueThatIsNotANumberAnywhereMakesTheWholeSpanNotFinite)
{
    using Limits = std::numeric_limits<float>;
    // Extremes that are still numbers, around the vector lanes and the tail.
    std::vector<float> values(37, 1.0f);
    values[3] = Limits::max();
    values[4] = -Limits::max();
    values[5] = Limits::denorm_min();
    values[6] = -0.0f;
    EXPECT_TRUE(Platform::allFinite(values));
    EXPECT_TRUE(Platform::allFinite({}));
    for (const float bad : {Limits::infinity(), -Limits::infinity(), Limits::quiet_NaN(), -Limits::quiet_NaN()})
        for (const std::size_t at : {0u, 7u, 8u, 31u, 36u}) {
            auto damaged = values;
            damaged[at] = bad;
            EXPECT_FALSE(Platform::allFinite(damaged)) << bad << " at " << at;
        }
}
