#pragma once

namespace Platform::ML {

// Exact (erf) GELU in place, on the calling thread.
void geluSpan(float* values, long count);

// Layer normalisation of one row: y = (x − mean) / sqrt(variance + 1e-5) ·
// weight + bias, the mean and variance summed in doubles.
void normaliseRow(const float* x, int width, const float* weight, const float* bias, float* y);

// target[i] += factor · source[i].
void addScaled(float* target, const float* source, float factor, long count);

// Numerically stable softmax in place.
void softmax(float* values, int count);

// The largest value, passing over NaNs; -infinity when there is none.
float maximum(const float* values, long count);

// The sum of exp(value - shift) over the values, each exponential to about
// 2 ulp; values more than 87 below the shift count as exp(-87).
float sumOfExponentials(const float* values, long count, float shift);

// values[i] = exp(values[i] - shift) in place, each as sumOfExponentials
// takes it; returns their sum.
float exponentiate(float* values, long count, float shift);

} // namespace Platform::ML
