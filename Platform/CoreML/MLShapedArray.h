#pragma once

#include "Platform/CoreML/MLMultiArray.h"

#include <algorithm>
#include <cstdint>
#include <stdexcept>
#include <vector>

namespace Platform::CoreML {

// An n-dimensional array as a value: a shape and its scalars in row-major
// order. Conversions to and from multi-arrays copy the elements.
template <MLMultiArrayScalar Scalar>
class MLShapedArray {
public:
    // Throws std::invalid_argument when the scalars do not fill the shape.
    MLShapedArray(std::vector<std::int64_t> shape, std::vector<Scalar> scalars)
        : shape_(std::move(shape)), scalars_(std::move(scalars))
    {
        std::int64_t count = 1;
        for (std::int64_t extent : shape_)
            if (extent < 0 || __builtin_mul_overflow(count, extent, &count))
                throw std::invalid_argument("Shaped array shape " + shapeText(shape_) + " is not a valid shape");
        if (static_cast<std::uint64_t>(count) != scalars_.size())
            throw std::invalid_argument("Shaped array shape " + shapeText(shape_) + " does not hold "
                                        + std::to_string(scalars_.size()) + " scalars");
    }

    // Throws std::invalid_argument when the array's elements are not Scalars.
    explicit MLShapedArray(const MLMultiArray& array)
        : shape_(array.shape()), scalars_(array.values<Scalar>().begin(), array.values<Scalar>().end())
    {
    }

    const std::vector<std::int64_t>& shape() const { return shape_; }
    const std::vector<Scalar>& scalars() const { return scalars_; }

private:
    std::vector<std::int64_t> shape_;
    std::vector<Scalar> scalars_;
};

template <MLMultiArrayScalar Scalar>
MLMultiArray::MLMultiArray(const MLShapedArray<Scalar>& shaped)
    : MLMultiArray(shaped.shape(), MLMultiArrayElement<Scalar>::dataType)
{
    std::ranges::copy(shaped.scalars(), mutableValues<Scalar>().begin());
}

} // namespace Platform::CoreML
