#include "Platform/ML/Simd/HeadProducts.h"

#include "tests/Platform/ML/Simd/SupportedInstructionSets.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using namespace Platform::ML;

// Keys and values of halves give, on every instruction set this processor
// runs, the scores and sums of the same numbers held as floats, for head
// widths that fill no vector evenly and positions past the first.
TEST(HeadProducts, HalvesGiveTheNumbersOfTheFloatsTheyHold)
{
    const auto sets = supportedInstructionSets();

    const int shapes[][2] = {{1, 1}, {2, 7}, {3, 16}, {3, 20}, {2, 48}, {2, 64}, {6, 64}};
    for (const auto& [heads, headWidth] : shapes) {
        const int width = heads * headWidth, stride = width + 3, positions = 9, begin = 2;
        std::vector<Float16> halves(static_cast<size_t>(positions) * stride);
        std::vector<float> floats(halves.size()), query(static_cast<size_t>(width));
        for (size_t i = 0; i < halves.size(); ++i) {
            halves[i] = Float16(static_cast<float>(std::sin(0.7 * static_cast<double>(i))));
            floats[i] = static_cast<float>(halves[i]);
        }
        for (size_t i = 0; i < query.size(); ++i)
            query[i] = static_cast<float>(std::cos(0.3 * static_cast<double>(i)));
        const auto size = static_cast<size_t>(heads) * positions;
        std::vector<float> want(size), wantSums(static_cast<size_t>(width), 0.5f);
        scoreAllHeads(query.data(), floats.data(), stride, begin, positions, heads, headWidth, 0.25f, want.data(),
                      positions);
        weighAllHeads(want.data(), positions, floats.data(), stride, begin, positions, heads, headWidth,
                      wantSums.data());
        for (auto set : sets) {
            std::vector<float> scores(size), sums(static_cast<size_t>(width), 0.5f);
            scoreAllHeads(query.data(), halves.data(), stride, begin, positions, heads, headWidth, 0.25f, scores.data(),
                          positions, set);
            weighAllHeads(want.data(), positions, halves.data(), stride, begin, positions, heads, headWidth,
                          sums.data(), set);
            for (size_t i = 0; i < size; ++i)
                ASSERT_NEAR(scores[i], want[i], 1e-5f)
                    << instructionSetName(set) << " " << heads << "×" << headWidth << " score " << i;
            for (size_t i = 0; i < sums.size(); ++i)
                ASSERT_NEAR(sums[i], wantSums[i], 1e-5f)
                    << instructionSetName(set) << " " << heads << "×" << headWidth << " sum " << i;
        }
    }
}

// The by-channel forms, over halves on every instruction set and over floats,
// give the sums of the by-position forms over the same numbers, for counts of
// positions that fill no vector or block of vectors evenly, and head widths
// that are no multiple of four channels.
TEST(HeadProducts, ChannelRowsGiveTheNumbersOfPositionRows)
{
    const auto sets = supportedInstructionSets();

    const int shapes[][2] = {{1, 1}, {2, 7}, {6, 64}};
    for (const auto& [heads, headWidth] : shapes)
        for (int positions : {3, 8, 40}) {
            const int width = heads * headWidth, capacity = positions + 5, begin = 1;
            std::vector<float> byPosition(static_cast<size_t>(positions) * width);
            std::vector<float> floats(static_cast<size_t>(width) * capacity);
            std::vector<Float16> halves(floats.size());
            for (int j = 0; j < positions; ++j)
                for (int c = 0; c < width; ++c) {
                    const Float16 half(static_cast<float>(std::sin(0.7 * (j * width + c))));
                    byPosition[static_cast<size_t>(j) * width + c] = static_cast<float>(half);
                    halves[static_cast<size_t>(c) * capacity + j] = half;
                    floats[static_cast<size_t>(c) * capacity + j] = static_cast<float>(half);
                }
            std::vector<float> query(static_cast<size_t>(width));
            for (size_t i = 0; i < query.size(); ++i)
                query[i] = static_cast<float>(std::cos(0.3 * static_cast<double>(i)));
            const auto size = static_cast<size_t>(heads) * positions;
            std::vector<float> want(size), wantSums(static_cast<size_t>(width), 0.5f);
            scoreAllHeads(query.data(), byPosition.data(), width, begin, positions, heads, headWidth, 0.25f,
                          want.data(), positions);
            weighAllHeads(want.data(), positions, byPosition.data(), width, begin, positions, heads, headWidth,
                          wantSums.data());
            const auto check = [&](const std::vector<float>& scores, const std::vector<float>& sums, const char* form) {
                for (int h = 0; h < heads; ++h)
                    for (int j = begin; j < positions; ++j) {
                        const size_t i = static_cast<size_t>(h) * positions + j;
                        ASSERT_NEAR(scores[i], want[i], 1e-5f) << form << " " << heads << "×" << headWidth;
                    }
                for (size_t i = 0; i < sums.size(); ++i)
                    ASSERT_NEAR(sums[i], wantSums[i], 1e-5f) << form << " " << heads << "×" << headWidth;
            };
            std::vector<float> scores(size), sums(static_cast<size_t>(width), 0.5f);
            scoreAllHeadsByChannel(query.data(), floats.data(), capacity, begin, positions, heads, headWidth, 0.25f,
                                   scores.data(), positions);
            weighAllHeadsByChannel(want.data(), positions, floats.data(), capacity, begin, positions, heads, headWidth,
                                   sums.data());
            check(scores, sums, "floats");
            for (auto set : sets) {
                std::fill(sums.begin(), sums.end(), 0.5f);
                scoreAllHeadsByChannel(query.data(), halves.data(), capacity, begin, positions, heads, headWidth, 0.25f,
                                       scores.data(), positions, set);
                weighAllHeadsByChannel(want.data(), positions, halves.data(), capacity, begin, positions, heads,
                                       headWidth, sums.data(), set);
                check(scores, sums, instructionSetName(set));
            }
        }
}
