#pragma once

#include <cstddef>

namespace Platform::ML {

// A read-only row-major matrix of weights, [rows][columns], in memory that its
// owner keeps alive (a model's buffer, a mapped file): floats, or IEEE
// half-precision values used as they are stored, two little-endian bytes
// each at any address. Products read half precision directly, so a model
// stored that way is never widened as a whole.
struct WeightMatrix {
    enum class Precision { Float32, Float16 };

    const void* data = nullptr;
    Precision precision = Precision::Float32;
    int rows = 0;
    int columns = 0;

    static WeightMatrix ofFloats(const float* values, int rows, int columns);
    static WeightMatrix ofHalfFloats(const std::byte* values, int rows, int columns);

    bool isHalf() const { return precision == Precision::Float16; }
    // Row `index`; floatRow for Float32 matrices, halfRow for Float16 ones.
    const float* floatRow(long index) const { return static_cast<const float*>(data) + index * columns; }
    const std::byte* halfRow(long index) const { return static_cast<const std::byte*>(data) + 2 * index * columns; }

    // Writes rows [first, first + count) as floats into out, [count][columns].
    void widenRows(long first, long count, float* out) const;
};

} // namespace Platform::ML
