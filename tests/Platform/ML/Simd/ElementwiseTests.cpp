#include "Platform/ML/Simd/Elementwise.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using namespace Platform::ML;

// Counts around the eight lanes, with the largest value at every position.
TEST(Elementwise, MaximumAndSumOfExponentialsCoverEveryValue)
{
    for (long count : {1L, 7L, 8L, 9L, 17L}) {
        for (long at = 0; at < count; ++at) {
            std::vector<float> values(static_cast<std::size_t>(count), -1.0f);
            values[static_cast<std::size_t>(at)] = 2.5f;
            EXPECT_EQ(maximum(values.data(), count), 2.5f) << count << " " << at;
            double expected = 0;
            for (float value : values)
                expected += std::exp(static_cast<double>(value) - 2.5);
            EXPECT_NEAR(sumOfExponentials(values.data(), count, 2.5f), expected, 1e-6 * expected);
        }
    }
    EXPECT_EQ(maximum(nullptr, 0), -INFINITY);
    const std::vector<float> withNaN{NAN, 1.0f, -INFINITY, NAN, 3.0f, NAN, NAN, NAN, NAN, NAN};
    EXPECT_EQ(maximum(withNaN.data(), static_cast<long>(withNaN.size())), 3.0f);
    const std::vector<float> masked{-INFINITY, 0.0f};
    EXPECT_NEAR(sumOfExponentials(masked.data(), 2, 0.0f), 1.0f, 1e-6);
}
