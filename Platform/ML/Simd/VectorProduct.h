#pragma once

#include "Platform/ML/Simd/InstructionSet.h"
#include "Platform/ML/Tensor/WeightMatrix.h"

namespace Platform::ML {

// out[i] = Σ_k matrix(firstRow + i, k) · vector[k] for i < rowCount, on the
// calling thread, with `set` (one this processor supports). Half-precision
// weights are widened in registers. The rows are read start to end as one
// stream, which is what keeps a single thread at the speed of memory; the
// decoder runs blocks of rows side by side on several threads.
void multiplyRowsByVector(const WeightMatrix& matrix, long firstRow, long rowCount, const float* vector,
                          float* out, InstructionSet set = widestInstructionSet());

} // namespace Platform::ML
