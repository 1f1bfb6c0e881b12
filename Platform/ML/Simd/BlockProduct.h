#pragma once

namespace Platform::ML {

// Columns of the blocks multiplyBlocks takes: a multiple of this.
inline constexpr int kBlockProductColumns = 32;

// c[r][j] = Σ_k a[r·lda + k] · b[k·ldb + j] for r < rows and j < columns, on
// the calling thread. `columns` must be a multiple of kBlockProductColumns.
// For the many small products that run side by side on different threads,
// where a BLAS call would try to spread each one over every core.
void multiplyBlocks(int rows, int columns, int depth, const float* a, long lda, const float* b, long ldb, float* c,
                    long ldc);

// The same, adding the products to what c holds.
void multiplyBlocksAdding(int rows, int columns, int depth, const float* a, long lda, const float* b, long ldb,
                          float* c, long ldc);

// Whether multiplyBlocks has vectors of 16 floats on this processor: it then
// outruns a BLAS whose kernels stop at 8.
bool blockProductsHaveWideVectors();

} // namespace Platform::ML
