#include "Platform/ML/Ops/Transpose.h"

#include "Platform/Concurrency/ParallelFor.h"
#include "Platform/ML/Ops/ComputeThreads.h"

#include <algorithm>

namespace Platform::ML {
namespace {

constexpr long kTile = 32;
// Tiles of rows per piece of work: a quarter of a million floats or so.
constexpr long kGrainElements = 1L << 18;

} // namespace

void transpose(const float* in, long rows, long columns, float* out)
{
    const long rowTiles = (rows + kTile - 1) / kTile;
    const long grain = std::max(1L, kGrainElements / std::max(1L, kTile * columns));
    Platform::parallelFor(rowTiles, grain, computeThreads(), [&](long begin, long end) {
        for (long r0 = begin * kTile; r0 < std::min(rows, end * kTile); r0 += kTile)
            for (long c0 = 0; c0 < columns; c0 += kTile)
                for (long r = r0; r < std::min(rows, r0 + kTile); ++r)
                    for (long c = c0; c < std::min(columns, c0 + kTile); ++c)
                        out[c * rows + r] = in[r * columns + c];
    });
}

} // namespace Platform::ML
