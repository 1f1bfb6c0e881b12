#pragma once

namespace Platform::ML {

// Exact (erf) GELU in place, on the calling thread.
void geluSpan(float* values, long count);

// Numerically stable softmax in place.
void softmax(float* values, int count);

} // namespace Platform::ML
