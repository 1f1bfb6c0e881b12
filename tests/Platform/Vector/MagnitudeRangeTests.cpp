#include "Platform/Vector/MagnitudeRange.h"

#include <gtest/gtest.h>

#include <vector>

TEST(MagnitudeRange, FindsTheExtremesWhereverTheyLie)
{
    // Lengths around the eight lanes, with the extremes in the lanes and in the tail.
    for (std::size_t length : {1u, 7u, 8u, 9u, 17u, 100u}) {
        for (std::size_t at = 0; at < length; ++at) {
            std::vector<float> samples(length, 0.5f);
            samples[at] = -2.0f;
            const bool middle = at == length - 1 - at;
            if (!middle)
                samples[length - 1 - at] = 0.125f;
            const Platform::MagnitudeRange range = Platform::magnitudeRange(samples);
            EXPECT_EQ(range.largest, 2.0f) << length << " " << at;
            EXPECT_EQ(range.smallest, !middle ? 0.125f : length == 1 ? 2.0f : 0.5f) << length << " " << at;
        }
    }
    const Platform::MagnitudeRange none = Platform::magnitudeRange({});
    EXPECT_EQ(none.largest, 0.0f);
    EXPECT_EQ(none.smallest, 0.0f);
}
