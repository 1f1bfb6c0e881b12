#include "Platform/ML/Ops/ComputeThreads.h"
#include "Platform/ML/Ops/Kernels.h"
#include "Platform/ML/Tensor/HalfFloat.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using namespace Platform::ML;

// One row and many, float and half-precision weights, with and without a
// bias, over shapes that split into tiles with ragged last rows and columns:
// every output must be the plain sum.
TEST(LinearLayer, EveryTileAndPrecisionGivesThePlainProduct)
{
    setComputeThreads(3);
    const struct {
        int rows, inputs, outputs;
    } shapes[] = {{1, 40, 300}, {2, 33, 70}, {150, 40, 300}};
    for (const auto& shape : shapes) {
        const size_t weightCount = static_cast<size_t>(shape.outputs) * shape.inputs;
        std::vector<unsigned short> halves(weightCount);
        std::vector<float> floats(weightCount), bias(static_cast<size_t>(shape.outputs));
        for (size_t i = 0; i < weightCount; ++i) {
            halves[i] = narrowToHalfFloat(static_cast<float>(std::sin(0.37 * static_cast<double>(i))));
            floats[i] = widenHalfFloat(halves[i]);
        }
        for (size_t o = 0; o < bias.size(); ++o)
            bias[o] = 0.01f * static_cast<float>(o);
        std::vector<float> in(static_cast<size_t>(shape.rows) * shape.inputs);
        for (size_t i = 0; i < in.size(); ++i)
            in[i] = static_cast<float>(std::cos(0.11 * static_cast<double>(i)));

        const WeightMatrix matrices[] = {
            WeightMatrix::ofFloats(floats.data(), shape.outputs, shape.inputs),
            WeightMatrix::ofHalfFloats(reinterpret_cast<const std::byte*>(halves.data()), shape.outputs, shape.inputs),
        };
        for (const auto& matrix : matrices)
            for (const float* withBias : {static_cast<const float*>(bias.data()), static_cast<const float*>(nullptr)}) {
                std::vector<float> out(static_cast<size_t>(shape.rows) * shape.outputs, NAN);
                applyLinear(Linear{matrix, withBias}, in.data(), shape.rows, out.data());
                for (int r = 0; r < shape.rows; ++r)
                    for (int o = 0; o < shape.outputs; ++o) {
                        double want = withBias ? withBias[o] : 0.0;
                        for (int k = 0; k < shape.inputs; ++k)
                            want += static_cast<double>(in[static_cast<size_t>(r) * shape.inputs + k])
                                    * floats[static_cast<size_t>(o) * shape.inputs + k];
                        ASSERT_NEAR(out[static_cast<size_t>(r) * shape.outputs + o], want, 1e-4)
                            << shape.rows << " x " << shape.inputs << " -> " << shape.outputs << ", row " << r
                            << ", output " << o << (matrix.isHalf() ? ", half" : ", float")
                            << (withBias ? ", bias" : "");
                    }
            }
    }
    setComputeThreads(0);
}
