#pragma once

#include "Platform/ML/Whisper/WhisperModel.h"

#include <span>

// Large calls spread their work over computeThreads() threads; a row's worth
// stays on the caller.

namespace Platform::ML {

// out[rows][layer.out] = in[rows][layer.in] · weightᵀ + bias: blocks of rows
// through BLAS (or through multiplyBlocks where that outruns BLAS), or blocks
// of outputs for a single row, each on its own thread.
void applyLinear(const Linear& layer, const float* in, int rows, float* out);

// applyLinear for several rows through multiplyBlocks, as applyLinear runs
// them where that outruns BLAS. layer.out() must be a multiple of
// kBlockProductColumns.
void applyLinearInBlocks(const Linear& layer, const float* in, int rows, float* out);

// One product and where its result goes.
struct LinearOutput {
    const Linear& layer;
    float* out;
};

// applyLinear for each product of the same input. A single row's products
// are shared out among the threads in one go: apart, each is too short to
// pay for handing it out.
void applyLinears(std::span<const LinearOutput> products, const float* in, int rows);

// Normalises each of `rows` rows of `width` values (epsilon 1e-5) in `in` into `out`.
void layerNorm(const LayerNormWeights& norm, const float* in, int rows, int width, float* out);

// Exact (erf) GELU in place.
void gelu(float* values, long count);

// target[i] += source[i].
void addInPlace(float* target, const float* source, long count);

} // namespace Platform::ML
