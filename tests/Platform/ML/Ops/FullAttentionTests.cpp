#include "Platform/ML/Ops/ComputeThreads.h"
#include "Platform/ML/Ops/FullAttention.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using Platform::ML::FullAttention;

namespace {

struct Shape {
    int positions;
    int width;
    int heads;
};

std::vector<float> wave(size_t count, double step)
{
    std::vector<float> values(count);
    for (size_t i = 0; i < count; ++i)
        values[i] = static_cast<float>(std::sin(static_cast<double>(i) * step) * 2.0);
    return values;
}

// The textbook form in double precision.
std::vector<double> referenceAttention(const Shape& s, const std::vector<float>& q, const std::vector<float>& k,
                                       const std::vector<float>& v)
{
    const int headWidth = s.width / s.heads;
    std::vector<double> out(static_cast<size_t>(s.positions) * s.width), weights(s.positions);
    for (int h = 0; h < s.heads; ++h)
        for (int t = 0; t < s.positions; ++t) {
            double maximum = -INFINITY, sum = 0.0;
            for (int u = 0; u < s.positions; ++u) {
                double dot = 0.0;
                for (int d = 0; d < headWidth; ++d)
                    dot += double(q[t * s.width + h * headWidth + d]) * k[u * s.width + h * headWidth + d];
                weights[u] = dot / std::sqrt(double(headWidth));
                maximum = std::max(maximum, weights[u]);
            }
            for (double& w : weights)
                sum += (w = std::exp(w - maximum));
            for (int d = 0; d < headWidth; ++d) {
                double value = 0.0;
                for (int u = 0; u < s.positions; ++u)
                    value += weights[u] * v[u * s.width + h * headWidth + d];
                out[t * s.width + h * headWidth + d] = value / sum;
            }
        }
    return out;
}

} // namespace

// Sizes that fill no tile or block evenly, head widths below, at and above
// one tile, on one thread and on several, in a workspace that other work left
// full of NaN.
TEST(FullAttention, MatchesTheTextbookFormForAnyShapeAndThreadCount)
{
    const Shape shapes[] = {{1, 16, 1}, {50, 64, 1}, {100, 48, 3}, {97, 160, 2}, {130, 128, 2}};
    for (int threads : {1, 3}) {
        Platform::ML::setComputeThreads(threads);
        for (const auto& shape : shapes) {
            const size_t size = static_cast<size_t>(shape.positions) * shape.width;
            const auto q = wave(size, 0.37), k = wave(size, 0.11), v = wave(size, 0.23);
            std::vector<float> out(size, NAN);
            FullAttention attention(shape.positions, shape.width, shape.heads);
            // Lent memory holds what other work left there, padding included.
            std::vector<float> workspace(attention.workspaceSize(), NAN);
            attention.compute(q.data(), k.data(), v.data(), out.data(), workspace.data());
            const auto want = referenceAttention(shape, q, k, v);
            for (size_t i = 0; i < size; ++i)
                ASSERT_NEAR(out[i], want[i], 1e-5) << "value " << i << " of " << shape.positions << " x " << shape.width
                                                   << " / " << shape.heads << ", " << threads << " threads";
        }
    }
    Platform::ML::setComputeThreads(0);
}
