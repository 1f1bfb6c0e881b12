#include "Platform/ML/Ops/ComputeThreads.h"
#include "Platform/ML/Ops/Kernels.h"
#include "Platform/ML/Simd/BlockProduct.h"
#include "Platform/ML/Tensor/HalfFloat.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using namespace Platform::ML;

// One row and many, float and half-precision weights, with and without a
// bias, over shapes that split into tiles with ragged last rows and columns
// or, for one row, into uneven blocks of outputs: every output must be the
// plain sum. Several rows give it through multiplyBlocks too, whichever way
// applyLinear takes on this processor, with more inputs than one widened
// slice and rows that fill no strip evenly.
TEST(LinearLayer, EveryTileAndPrecisionGivesThePlainProduct)
{
    setComputeThreads(3);
    const struct {
        int rows, inputs, outputs;
    } shapes[] = {{1, 40, 300}, {1, 200, 333}, {2, 33, 70}, {150, 40, 300}, {100, 300, 96}, {7, 600, 64}};
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
        using Product = void (*)(const Linear&, const float*, int, float*);
        std::vector<Product> products = {applyLinear};
        if (shape.rows > 1 && shape.outputs % kBlockProductColumns == 0)
            products.push_back(applyLinearInBlocks);
        for (const auto product : products)
            for (const auto& matrix : matrices)
                for (const float* withBias :
                     {static_cast<const float*>(bias.data()), static_cast<const float*>(nullptr)}) {
                    std::vector<float> out(static_cast<size_t>(shape.rows) * shape.outputs, NAN);
                    product(Linear{matrix, withBias}, in.data(), shape.rows, out.data());
                    for (int r = 0; r < shape.rows; ++r)
                        for (int o = 0; o < shape.outputs; ++o) {
                            double want = withBias ? withBias[o] : 0.0;
                            for (int k = 0; k < shape.inputs; ++k)
                                want += static_cast<double>(in[static_cast<size_t>(r) * shape.inputs + k]) *
                                        floats[static_cast<size_t>(o) * shape.inputs + k];
                            ASSERT_NEAR(out[static_cast<size_t>(r) * shape.outputs + o], want, 1e-4)
                                << shape.rows << " x " << shape.inputs << " -> " << shape.outputs << ", row " << r
                                << ", output " << o << (matrix.isHalf() ? ", half" : ", float")
                                << (withBias ? ", bias" : "") << (product == applyLinear ? "" : ", in blocks");
                        }
                }
    }
    setComputeThreads(0);
}

// Products of one row shared out together, each cut into its own number of
// blocks (one, three, six on three threads): each result is what the product
// gives alone, and no block writes into a neighbour's output.
TEST(LinearLayer, ProductsOfOneRowTogetherGiveWhatEachGivesAlone)
{
    setComputeThreads(3);
    constexpr int kInputs = 200;
    const int outputCounts[] = {70, 300, 500};
    std::vector<std::vector<float>> weights;
    std::vector<WeightMatrix> matrices;
    for (int outputs : outputCounts) {
        auto& w = weights.emplace_back(static_cast<size_t>(outputs) * kInputs);
        for (size_t i = 0; i < w.size(); ++i)
            w[i] = static_cast<float>(std::sin(0.29 * static_cast<double>(i + weights.size())));
    }
    for (size_t p = 0; p < weights.size(); ++p)
        matrices.push_back(WeightMatrix::ofFloats(weights[p].data(), outputCounts[p], kInputs));
    std::vector<float> in(kInputs), bias(500);
    for (int i = 0; i < kInputs; ++i)
        in[static_cast<size_t>(i)] = static_cast<float>(std::cos(0.13 * i));
    for (size_t o = 0; o < bias.size(); ++o)
        bias[o] = 0.5f - 0.002f * static_cast<float>(o);

    std::vector<std::vector<float>> together, alone;
    std::vector<LinearOutput> products;
    std::vector<Linear> layers;
    for (size_t p = 0; p < matrices.size(); ++p) {
        layers.push_back(Linear{matrices[p], p == 1 ? nullptr : bias.data()});
        together.emplace_back(static_cast<size_t>(outputCounts[p]) + 1, NAN);
        alone.emplace_back(static_cast<size_t>(outputCounts[p]), NAN);
    }
    for (size_t p = 0; p < layers.size(); ++p) {
        products.push_back({layers[p], together[p].data()});
        applyLinear(layers[p], in.data(), 1, alone[p].data());
    }
    applyLinears(products, in.data(), 1);
    for (size_t p = 0; p < layers.size(); ++p) {
        EXPECT_TRUE(std::isnan(together[p].back())) << "product " << p << " written past its end";
        together[p].pop_back();
        EXPECT_EQ(together[p], alone[p]) << "product " << p;
    }
    setComputeThreads(0);
}
