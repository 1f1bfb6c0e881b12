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

// Widths around the eight lanes of the sums, and a row far from zero whose
// spread is small: the mean is taken out before the squares are summed.
TEST(Elementwise, NormaliseRowGivesTheTextbookLayerNormAtAnyWidth)
{
    for (int width : {1, 7, 8, 9, 17, 512})
        for (double offset : {0.0, 1000.0}) {
            std::vector<float> x(static_cast<std::size_t>(width)), weight(x.size()), bias(x.size()), y(x.size());
            for (int i = 0; i < width; ++i) {
                x[i] = static_cast<float>(offset + std::sin(0.9 * i));
                weight[i] = static_cast<float>(1.0 + 0.01 * i);
                bias[i] = static_cast<float>(0.1 * std::cos(0.5 * i));
            }
            double mean = 0, variance = 0;
            for (float value : x)
                mean += value;
            mean /= width;
            for (float value : x)
                variance += (value - mean) * (value - mean);
            variance /= width;
            normaliseRow(x.data(), width, weight.data(), bias.data(), y.data());
            for (int i = 0; i < width; ++i) {
                const double want = (x[i] - mean) / std::sqrt(variance + 1e-5) * weight[i] + bias[i];
                ASSERT_NEAR(y[i], want, 1e-4) << width << " wide, offset " << offset << ", value " << i;
            }
        }
}
