#include "Platform/ML/Simd/VectorProduct.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

// Row counts and depths that fill no block of rows or vector evenly.
TEST(VectorProduct, MatchesPlainSumsForAnyShape)
{
    const int shapes[][2] = {{1, 1}, {3, 15}, {4, 16}, {5, 17}, {9, 47}, {13, 384}};
    for (const auto& [rows, depth] : shapes) {
        std::vector<float> matrix(static_cast<size_t>(rows) * depth), vector(static_cast<size_t>(depth));
        for (size_t i = 0; i < matrix.size(); ++i)
            matrix[i] = static_cast<float>(std::sin(0.7 * static_cast<double>(i)));
        for (size_t i = 0; i < vector.size(); ++i)
            vector[i] = static_cast<float>(std::cos(0.3 * static_cast<double>(i)));
        std::vector<float> out(static_cast<size_t>(rows) + 1, NAN);
        out.back() = 42.0f;
        Platform::ML::multiplyRowsByVector(rows, depth, matrix.data(), vector.data(), out.data());
        for (int r = 0; r < rows; ++r) {
            double want = 0.0;
            for (int k = 0; k < depth; ++k)
                want += static_cast<double>(matrix[static_cast<size_t>(r) * depth + k]) * vector[static_cast<size_t>(k)];
            ASSERT_NEAR(out[static_cast<size_t>(r)], want, 1e-4) << "row " << r << " of " << rows << " x " << depth;
        }
        EXPECT_EQ(out.back(), 42.0f) << "written past the end for " << rows << " x " << depth;
    }
}
