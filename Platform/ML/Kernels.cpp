#include "Platform/ML/Kernels.h"

#include <algorithm>
#include <cblas.h>
#include <cmath>

namespace Platform::ML {

void applyLinear(const Linear& layer, const float* in, int rows, float* out)
{
    if (rows == 1) {
        if (layer.bias)
            std::copy(layer.bias, layer.bias + layer.out, out);
        cblas_sgemv(CblasRowMajor, CblasNoTrans, layer.out, layer.in, 1.0f, layer.weight, layer.in,
                    in, 1, layer.bias ? 1.0f : 0.0f, out, 1);
        return;
    }
    if (layer.bias)
        for (int r = 0; r < rows; ++r)
            std::copy(layer.bias, layer.bias + layer.out, out + static_cast<long>(r) * layer.out);
    cblas_sgemm(CblasRowMajor, CblasNoTrans, CblasTrans, rows, layer.out, layer.in, 1.0f, in,
                layer.in, layer.weight, layer.in, layer.bias ? 1.0f : 0.0f, out, layer.out);
}

void layerNorm(const LayerNormWeights& norm, const float* in, int rows, int width, float* out)
{
    for (int r = 0; r < rows; ++r) {
        const float* x = in + static_cast<long>(r) * width;
        float* y = out + static_cast<long>(r) * width;
        double sum = 0.0;
        for (int i = 0; i < width; ++i)
            sum += x[i];
        const float mean = static_cast<float>(sum / width);
        double squares = 0.0;
        for (int i = 0; i < width; ++i) {
            const float d = x[i] - mean;
            squares += static_cast<double>(d) * d;
        }
        const float scale = 1.0f / std::sqrt(static_cast<float>(squares / width) + 1e-5f);
        for (int i = 0; i < width; ++i)
            y[i] = (x[i] - mean) * scale * norm.weight[i] + norm.bias[i];
    }
}

void gelu(float* values, long count)
{
    constexpr float invSqrt2 = 0.70710678118654752f;
    for (long i = 0; i < count; ++i)
        values[i] = 0.5f * values[i] * (1.0f + std::erf(values[i] * invSqrt2));
}

void softmax(float* values, int count)
{
    const float maximum = *std::max_element(values, values + count);
    float sum = 0.0f;
    for (int i = 0; i < count; ++i) {
        values[i] = std::exp(values[i] - maximum);
        sum += values[i];
    }
    const float inverse = 1.0f / sum;
    for (int i = 0; i < count; ++i)
        values[i] *= inverse;
}

void addInPlace(float* target, const float* source, long count)
{
    for (long i = 0; i < count; ++i)
        target[i] += source[i];
}

} // namespace Platform::ML
