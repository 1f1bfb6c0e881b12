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

// One tile of Rows × 32 results, accumulated in registers over the whole depth,
// from zero or from what c holds.
template <int Rows, bool Adding>
[[gnu::always_inline]] inline void tile(int depth, const float* a, long lda, const float* b, long ldb, float* c,
                                        long ldc)
{
    Vector sums[Rows][2] = {};
    if constexpr (Adding)
        for (int r = 0; r < Rows; ++r) {
            std::memcpy(&sums[r][0], c + r * ldc, sizeof sums[r][0]);
            std::memcpy(&sums[r][1], c + r * ldc + kLanes, sizeof sums[r][1]);
        }
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

template <int Rows, bool Adding>
[[gnu::always_inline]] inline void tileRow(int columns, int depth, const float* a, long lda, const float* b, long ldb,
                                           float* c, long ldc)
{
    for (int j = 0; j < columns; j += kBlockProductColumns)
        tile<Rows, Adding>(depth, a, lda, b + j, ldb, c + j, ldc);
}

template <bool Adding>
[[gnu::always_inline]] inline void multiply(int rows, int columns, int depth, const float* a, long lda, const float* b,
                                            long ldb, float* c, long ldc)
{
    int r = 0;
    for (; r + kTileRows <= rows; r += kTileRows)
        tileRow<kTileRows, Adding>(columns, depth, a + r * lda, lda, b, ldb, c + r * ldc, ldc);
    a += r * lda;
    c += r * ldc;
    switch (rows - r) {
    case 5: tileRow<5, Adding>(columns, depth, a, lda, b, ldb, c, ldc); break;
    case 4: tileRow<4, Adding>(columns, depth, a, lda, b, ldb, c, ldc); break;
    case 3: tileRow<3, Adding>(columns, depth, a, lda, b, ldb, c, ldc); break;
    case 2: tileRow<2, Adding>(columns, depth, a, lda, b, ldb, c, ldc); break;
    case 1: tileRow<1, Adding>(columns, depth, a, lda, b, ldb, c, ldc); break;
    default: break;
    }
}

} // namespace

__attribute__((target_clones("avx512f", "avx2", "default"))) void
multiplyBlocks(int rows, int columns, int depth, const float* a, long lda, const float* b, long ldb, float* c, long ldc)
{
    multiply<false>(rows, columns, depth, a, lda, b, ldb, c, ldc);
}

__attribute__((target_clones("avx512f", "avx2", "default"))) void multiplyBlocksAdding(int rows, int columns, int depth,
                                                                                       const float* a, long lda,
                                                                                       const float* b, long ldb,
                                                                                       float* c, long ldc)
{
    multiply<true>(rows, columns, depth, a, lda, b, ldb, c, ldc);
}

bool blockProductsHaveWideVectors()
{
#if defined(__x86_64__)
    // The processor check includes whether the system saves the wide registers.
    static const bool wide = __builtin_cpu_supports("avx512f");
    return wide;
#else
    return false;
#endif
}

} // namespace Platform::ML
