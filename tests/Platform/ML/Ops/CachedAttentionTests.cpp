#include "Platform/ML/Ops/CachedAttention.h"
#include "Platform/ML/Ops/ComputeThreads.h"
#include "Platform/ML/Tensor/Float16.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using namespace Platform::ML;

namespace {

constexpr int kWidth = 128;
constexpr int kHeads = 2;
constexpr int kHeadWidth = kWidth / kHeads;

std::vector<float> wave(size_t count, double step, double scale)
{
    std::vector<float> values(count);
    for (size_t i = 0; i < count; ++i)
        values[i] = static_cast<float>(std::sin(static_cast<double>(i) * step) * scale);
    return values;
}

// One query row over keys and values [position][kWidth], the textbook form in
// double precision: the attended row and the weights, [head][position].
struct Reference {
    std::vector<double> out = std::vector<double>(kWidth);
    std::vector<double> weights;
};

Reference attend(const std::vector<float>& query, const std::vector<float>& keys, const std::vector<float>& values)
{
    const int positions = static_cast<int>(keys.size() / kWidth);
    Reference result;
    result.weights.resize(static_cast<size_t>(kHeads) * positions);
    for (int h = 0; h < kHeads; ++h) {
        double* weights = result.weights.data() + static_cast<long>(h) * positions;
        double largest = -INFINITY, sum = 0.0;
        for (int j = 0; j < positions; ++j) {
            double dot = 0.0;
            for (int d = 0; d < kHeadWidth; ++d)
                dot += double(query[h * kHeadWidth + d]) * keys[static_cast<size_t>(j) * kWidth + h * kHeadWidth + d];
            weights[j] = dot / std::sqrt(double(kHeadWidth));
            largest = std::max(largest, weights[j]);
        }
        for (int j = 0; j < positions; ++j)
            sum += weights[j] = std::exp(weights[j] - largest);
        for (int j = 0; j < positions; ++j) {
            weights[j] /= sum;
            for (int d = 0; d < kHeadWidth; ++d)
                result.out[h * kHeadWidth + d] +=
                    weights[j] * values[static_cast<size_t>(j) * kWidth + h * kHeadWidth + d];
        }
    }
    return result;
}

} // namespace

// A single row attends over earlier keys, as floats or halves laid out by
// position or by channel, and its own key in one pass of chunks whose partial sums are brought to one scale at
// the end: the same numbers as the textbook form for counts below, at and
// past a chunk's length and long enough to run on several threads, and the
// same bits on one thread and four.
TEST(CachedAttention, OneRowGivesTheTextbookAttentionOnAnyNumberOfThreads)
{
    for (int earlier : {0, 1, 64, 65, 1100})
        for (bool halves : {false, true})
            for (bool byChannel : {false, true})
                for (bool withOwn : {false, true}) {
                    if (earlier == 0 && !withOwn)
                        continue;
                    const int positions = earlier + (withOwn ? 1 : 0);
                    // Large scores, so that chunks' largest scores differ widely.
                    const auto keys = wave(static_cast<size_t>(positions) * kWidth, 0.37, 6.0);
                    const auto values = wave(keys.size(), 0.11, 1.0);
                    const auto query = wave(kWidth, 0.53, 1.0);
                    // The earlier keys as the cache holds them, and the values
                    // the textbook form sees: halves widened back.
                    const size_t cached = static_cast<size_t>(earlier) * kWidth;
                    std::vector<float> floatKeys(cached), floatValues(cached);
                    std::vector<Float16> halfKeys(cached), halfValues(cached);
                    std::vector<float> seenKeys = keys, seenValues = values;
                    for (int j = 0; j < earlier; ++j)
                        for (int c = 0; c < kWidth; ++c) {
                            const size_t from = static_cast<size_t>(j) * kWidth + c;
                            const size_t to = byChannel ? static_cast<size_t>(c) * earlier + j : from;
                            floatKeys[to] = keys[from];
                            floatValues[to] = values[from];
                            halfKeys[to] = Float16(keys[from]);
                            halfValues[to] = Float16(values[from]);
                            if (halves) {
                                seenKeys[from] = static_cast<float>(halfKeys[to]);
                                seenValues[from] = static_cast<float>(halfValues[to]);
                            }
                        }
                    const long positionStride = byChannel ? 1 : kWidth, channelStride = byChannel ? earlier : 1;
                    const KeyValueSpan earlierSpan =
                        halves ? KeyValueSpan{halfKeys.data(), halfValues.data(), positionStride,
                                              channelStride,   earlier,           true}
                               : KeyValueSpan{floatKeys.data(), floatValues.data(), positionStride, channelStride,
                                              earlier};
                    const long ownAt = static_cast<long>(cached);
                    const KeyValueSpan own{keys.data() + ownAt, values.data() + ownAt, kWidth, 1, 1};
                    const auto want = attend(query, seenKeys, seenValues);

                    std::vector<float> results[2], weights[2];
                    for (int run = 0; run < 2; ++run) {
                        setComputeThreads(run == 0 ? 1 : 4);
                        CachedAttention attention(kWidth, kHeads, 2048);
                        results[run].resize(kWidth);
                        weights[run].resize(static_cast<size_t>(kHeads) * positions);
                        attention.compute(query.data(), 1, earlierSpan, withOwn ? &own : nullptr, results[run].data(),
                                          weights[run].data());
                    }
                    setComputeThreads(0);
                    const auto where = ::testing::Message() << earlier << " earlier, halves " << halves
                                                            << ", by channel " << byChannel << ", own " << withOwn;
                    EXPECT_EQ(results[0], results[1]) << where;
                    EXPECT_EQ(weights[0], weights[1]) << where;
                    for (int c = 0; c < kWidth; ++c)
                        ASSERT_NEAR(results[0][c], want.out[c], 2e-5) << where << ", channel " << c;
                    for (size_t j = 0; j < want.weights.size(); ++j)
                        ASSERT_NEAR(weights[0][j], want.weights[j], 1e-6) << where << ", weight " << j;
                }
}
