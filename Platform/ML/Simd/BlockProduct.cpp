#include "Platform/ML/Simd/BlockProduct.h"

#include <cstring>

namespace Platform::ML {
namespace {

using Vector = float __attribute__((vector_size(64)));
constexpr int kLanes = 16;
static_assert(kBlockProductColumns == 2 * kLanes);
// Rows of one tile: 6 × 2 accumulators and the two loaded vectors fit the
// registers of the widest vector units.
constexpr int kTileRows = 6;

// One tile of Rows × 32 results, accumulated in registers over the whole depth.
template <int Rows>
[[gnu::always_inline]] inline void tile(int depth, const float* a, long lda, const float* b, long ldb,
                                        float* c, long ldc)
{
    Vector sums[Rows][2] = {};
    for (int k = 0; k < depth; ++k) {
        Vector low, high;
        std::memcpy(&low, b + k * ldb, sizeof low);
        std::memcpy(&high, b + k * ldb + kLanes, sizeof high);
#pragma GCC unroll 8
        for (int r = 0; r < Rows; ++r) {
            const float x = a[r * lda + k];
            sums[r][0] += low * x;
            sums[r][1] += high * x;
        }
    }
#pragma GCC unroll 8
    for (int r = 0; r < Rows; ++r) {
        std::memcpy(c + r * ldc, &sums[r][0], sizeof sums[r][0]);
        std::memcpy(c + r * ldc + kLanes, &sums[r][1], sizeof sums[r][1]);
    }
}

template <int Rows>
[[gnu::always_inline]] inline void tileRow(int columns, int depth, const float* a, long lda,
                                           const float* b, long ldb, float* c, long ldc)
{
    for (int j = 0; j < columns; j += kBlockProductColumns)
        tile<Rows>(depth, a, lda, b + j, ldb, c + j, ldc);
}

} // namespace

__attribute__((target_clones("avx512f", "avx2", "default"))) void multiplyBlocks(
    int rows, int columns, int depth, const float* a, long lda, const float* b, long ldb, float* c,
    long ldc)
{
    int r = 0;
    for (; r + kTileRows <= rows; r += kTileRows)
        tileRow<kTileRows>(columns, depth, a + r * lda, lda, b, ldb, c + r * ldc, ldc);
    a += r * lda;
    c += r * ldc;
    switch (rows - r) {
    case 5: tileRow<5>(columns, depth, a, lda, b, ldb, c, ldc); break;
    case 4: tileRow<4>(columns, depth, a, lda, b, ldb, c, ldc); break;
    case 3: tileRow<3>(columns, depth, a, lda, b, ldb, c, ldc); break;
    case 2: tileRow<2>(columns, depth, a, lda, b, ldb, c, ldc); break;
    case 1: tileRow<1>(columns, depth, a, lda, b, ldb, c, ldc); break;
    default: break;
    }
}

} // namespace Platform::ML
