#pragma once

#include "Platform/CoreML/MLMultiArray.h"
#include "Platform/CoreML/PixelBuffer.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <vector>

// Making, addressing and filling the engine's multi-arrays. Writing needs the
// array to itself: no prediction may read it meanwhile.
namespace RuntimeCore {

using Platform::CoreML::Float16;
using Platform::CoreML::MLMultiArray;
using Platform::CoreML::MLMultiArrayDataType;

class MLMultiArrayCreationError : public std::runtime_error {
public:
    enum class Kind { pixelBufferFailed };

    static MLMultiArrayCreationError pixelBufferFailed() { return MLMultiArrayCreationError(); }

    Kind kind() const { return Kind::pixelBufferFailed; }
    // There is one case, so any two are equal.
    friend bool operator==(const MLMultiArrayCreationError&, const MLMultiArrayCreationError&) { return true; }

private:
    MLMultiArrayCreationError()
        : std::runtime_error("Failed to create IOSurface-backed pixel buffer for MLMultiArray")
    {
    }
};

// The pixel buffer a 16-bit float array of this shape lies on: as wide as the
// last extent and as high as the others multiplied. Nothing for an empty
// shape, a zero extent or a size no memory holds.
std::optional<Platform::CoreML::PixelBuffer> pixelBuffer(const std::vector<std::int64_t>& shape);

// A zero-filled array of the shape, 16-bit floats on their pixel buffer
// (MLMultiArrayCreationError when there is none), other types as the array
// makes them (its errors pass on).
MLMultiArray emptyMultiArray(const std::vector<std::int64_t>& shape, MLMultiArrayDataType dataType);

// An array of the shape with every element set to `initialValue` when the
// value is of the element's own type (Float16, float, double, int32_t);
// a value of any other type fills nothing and leaves the zeros.
template <class Value>
MLMultiArray multiArray(const std::vector<std::int64_t>& shape, MLMultiArrayDataType dataType, const Value& initialValue)
{
    MLMultiArray array = emptyMultiArray(shape, dataType);
    if constexpr (Platform::CoreML::MLMultiArrayScalar<Value>) {
        if (Platform::CoreML::MLMultiArrayElement<Value>::dataType == dataType)
            std::ranges::fill(array.mutableValues<Value>(), initialValue);
    }
    return array;
}

// A 32-bit integer array of `dims` dimensions, all 1 but the last, which holds
// the values. std::invalid_argument for `dims` below 1.
MLMultiArray multiArrayFrom(const std::vector<int>& values, int dims);

// The element offset of an index: the sum of index × stride over the positions
// both lists have; the array's own strides when none are given.
// std::overflow_error past the 64-bit range.
std::int64_t linearOffset(const MLMultiArray& array, const std::vector<std::int64_t>& index,
                          const std::optional<std::vector<std::int64_t>>& strides = std::nullopt);

// Writes `value` at positions [begin, end) of the last dimension of a
// (1, 1, N) 16-bit float array. std::invalid_argument for another shape or
// element type, std::out_of_range for positions outside 0…N; nothing is
// written then.
void fillLastDimension(MLMultiArray& array, std::int64_t begin, std::int64_t end, Float16 value);

// Throws unless every index names an element of the array and `value` is of
// the element type; nothing is written then.
void checkFill(const MLMultiArray& array, const std::vector<std::vector<std::int64_t>>& indexes,
               MLMultiArrayDataType valueType);

// Writes `value` at each index (one component per dimension), in order.
// std::out_of_range for an index outside the array, std::invalid_argument for
// a value of another type than the elements; nothing is written then.
template <Platform::CoreML::MLMultiArrayScalar Value>
void fill(MLMultiArray& array, const std::vector<std::vector<std::int64_t>>& indexes, Value value)
{
    checkFill(array, indexes, Platform::CoreML::MLMultiArrayElement<Value>::dataType);
    const auto elements = array.mutableValues<Value>();
    for (const auto& index : indexes)
        elements[static_cast<std::size_t>(linearOffset(array, index))] = value;
}

} // namespace RuntimeCore
