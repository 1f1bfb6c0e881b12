#pragma once

namespace Platform::ML {

// out[c][r] = in[r][c] for a [rows][columns] matrix, in square tiles that
// stay in cache, spread over computeThreads() threads when it is large.
void transpose(const float* in, long rows, long columns, float* out);

} // namespace Platform::ML
