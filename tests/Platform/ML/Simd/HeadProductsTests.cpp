#include "Platform/ML/Simd/HeadProducts.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using namespace Platform::ML;

// Keys and values of halves give, on every instruction set this processor
// runs, the scores and sums of the same numbers held as floats, for head
// widths that fill no vector evenly and positions past the first.
TEST(HeadProducts, HalvesGiveTheNumbersOfTheFloatsTheyHold)
{
    std::vector<InstructionSet> sets = {InstructionSet::Portable};
    if (widestInstructionSet() >= InstructionSet::Avx2)
        sets.push_back(InstructionSet::Avx2);

    const int shapes[][2] = {{1, 1}, {2, 7}, {3, 20}, {2, 64}, {6, 64}};
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
                ASSERT_NEAR(scores[i], want[i], 1e-5f) << heads << "×" << headWidth << " score " << i;
            for (size_t i = 0; i < sums.size(); ++i)
                ASSERT_NEAR(sums[i], wantSums[i], 1e-5f) << heads << "×" << headWidth << " sum " << i;
        }
    }
}
