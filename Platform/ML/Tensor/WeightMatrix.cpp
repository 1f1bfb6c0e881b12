#include "Platform/ML/Tensor/WeightMatrix.h"

#include "Platform/ML/Tensor/HalfFloat.h"

#include <algorithm>

namespace Platform::ML {

WeightMatrix WeightMatrix::ofFloats(const float* values, int rows, int columns)
{
    return {values, Precision::Float32, rows, columns};
}

WeightMatrix WeightMatrix::ofHalfFloats(const std::byte* values, int rows, int columns)
{
    return {values, Precision::Float16, rows, columns};
}

void WeightMatrix::widenRows(long first, long count, float* out) const
{
    const auto elements = static_cast<size_t>(count) * static_cast<size_t>(columns);
    if (isHalf())
        widenHalfFloats(halfRow(first), elements, out);
    else
        std::copy_n(floatRow(first), elements, out);
}

} // namespace Platform::ML
