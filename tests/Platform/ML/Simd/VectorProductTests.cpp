#include "Platform/ML/Simd/VectorProduct.h"
#include "Platform/ML/Tensor/HalfFloat.h"

#include "tests/Platform/ML/Simd/SupportedInstructionSets.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using namespace Platform::ML;

// Every instruction set this processor runs, on float and half-precision
// weights, over row counts and depths that fill no vector or block evenly,
// starting past the first row.
TEST(VectorProduct, MatchesPlainSumsForAnyShapeInstructionSetAndPrecision)
{
    const auto sets = supportedInstructionSets();

    const int shapes[][2] = {{1, 1}, {3, 15}, {4, 16}, {5, 17}, {9, 47}, {2, 64}, {13, 384}, {3, 200}};
    for (const auto& [rows, depth] : shapes) {
        const int first = 2, total = first + rows;
        std::vector<float> floats(static_cast<size_t>(total) * depth), vector(static_cast<size_t>(depth));
        std::vector<unsigned short> halves(floats.size());
        for (size_t i = 0; i < floats.size(); ++i) {
            halves[i] = narrowToHalfFloat(static_cast<float>(std::sin(0.7 * static_cast<double>(i))));
            floats[i] = widenHalfFloat(halves[i]); // both precisions hold the same numbers
        }
        for (size_t i = 0; i < vector.size(); ++i)
            vector[i] = static_cast<float>(std::cos(0.3 * static_cast<double>(i)));
        std::vector<double> want(static_cast<size_t>(rows));
        for (int r = 0; r < rows; ++r)
            for (int k = 0; k < depth; ++k)
                want[static_cast<size_t>(r)] += static_cast<double>(floats[static_cast<size_t>(first + r) * depth + k]) * vector[static_cast<size_t>(k)];

        const WeightMatrix matrices[] = {
            WeightMatrix::ofFloats(floats.data(), total, depth),
            WeightMatrix::ofHalfFloats(reinterpret_cast<const std::byte*>(halves.data()), total, depth),
        };
        for (const auto& matrix : matrices)
            for (InstructionSet set : sets) {
                std::vector<float> out(static_cast<size_t>(rows) + 1, NAN);
                out.back() = 42.0f;
                multiplyRowsByVector(matrix, first, rows, vector.data(), out.data(), set);
                const auto label = ::testing::Message() << rows << " x " << depth << ", set " << static_cast<int>(set)
                                                        << (matrix.isHalf() ? ", half" : ", float");
                for (int r = 0; r < rows; ++r)
                    ASSERT_NEAR(out[static_cast<size_t>(r)], want[static_cast<size_t>(r)], 1e-4) << "row " << r << ", " << label;
                EXPECT_EQ(out.back(), 42.0f) << "written past the end for " << label;
            }
    }
}
