#include "Platform/ML/Simd/VectorProduct.h"

#include <cstring>

namespace Platform::ML {
namespace {

using Vector = float __attribute__((vector_size(64)));
constexpr int kLanes = 16;
// Rows read at once: independent sums hide the latency of each addition.
constexpr int kRows = 4;

template <int Rows>
[[gnu::always_inline]] inline void rowBlock(int depth, const float* matrix, const float* vector, float* out)
{
    Vector sums[Rows] = {};
    int k = 0;
    for (; k + kLanes <= depth; k += kLanes) {
        Vector x;
        std::memcpy(&x, vector + k, sizeof x);
#pragma GCC unroll 4
        for (int r = 0; r < Rows; ++r) {
            Vector row;
            std::memcpy(&row, matrix + static_cast<long>(r) * depth + k, sizeof row);
            sums[r] += row * x;
        }
    }
#pragma GCC unroll 4
    for (int r = 0; r < Rows; ++r) {
        float sum = 0.0f;
        for (int lane = 0; lane < kLanes; ++lane)
            sum += sums[r][lane];
        for (int tail = k; tail < depth; ++tail)
            sum += matrix[static_cast<long>(r) * depth + tail] * vector[tail];
        out[r] = sum;
    }
}

} // namespace

__attribute__((target_clones("avx512f", "avx2", "default"))) void multiplyRowsByVector(
    int rows, int depth, const float* matrix, const float* vector, float* out)
{
    int r = 0;
    for (; r + kRows <= rows; r += kRows)
        rowBlock<kRows>(depth, matrix + static_cast<long>(r) * depth, vector, out + r);
    for (; r < rows; ++r)
        rowBlock<1>(depth, matrix + static_cast<long>(r) * depth, vector, out + r);
}

} // namespace Platform::ML
