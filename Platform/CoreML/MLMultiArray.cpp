#include "Platform/CoreML/MLMultiArray.h"

#include "Platform/CoreML/PixelBuffer.h"

#include <cmath>
#include <cstring>
#include <limits>

namespace Platform::CoreML {
namespace {

std::int64_t elementCount(const std::vector<std::int64_t>& shape, MLMultiArrayDataType dataType)
{
    if (shape.empty())
        throw std::invalid_argument("A multi-array needs at least one dimension");
    std::int64_t count = 1;
    for (std::int64_t extent : shape) {
        if (extent < 0)
            throw std::invalid_argument("Multi-array shape " + shapeText(shape) + " has a negative extent");
        if (__builtin_mul_overflow(count, extent, &count))
            throw std::length_error("Multi-array shape " + shapeText(shape) + " is too large");
    }
    std::int64_t bytes = 0;
    if (__builtin_mul_overflow(count, static_cast<std::int64_t>(elementSize(dataType)), &bytes)
        || static_cast<std::uint64_t>(bytes) > std::numeric_limits<std::ptrdiff_t>::max())
        throw std::length_error("Multi-array shape " + shapeText(shape) + " is too large");
    return count;
}

std::size_t byteCountOf(const std::vector<std::int64_t>& shape, MLMultiArrayDataType dataType)
{
    return static_cast<std::size_t>(elementCount(shape, dataType)) * elementSize(dataType);
}

} // namespace

std::string shapeText(const std::vector<std::int64_t>& shape)
{
    std::string text = "[";
    for (size_t i = 0; i < shape.size(); ++i)
        text += (i ? ", " : "") + std::to_string(shape[i]);
    return text + "]";
}

MLMultiArray::MLMultiArray(std::vector<std::int64_t> shape, MLMultiArrayDataType dataType)
    : MLMultiArray(std::make_shared<ArrayStorage>(byteCountOf(shape, dataType)), shape, dataType)
{
}

MLMultiArray::MLMultiArray(const PixelBuffer& buffer, std::vector<std::int64_t> shape)
    : MLMultiArray(buffer.storage(), std::move(shape), MLMultiArrayDataType::float16)
{
    if (shape_.back() != buffer.width() || count_ != buffer.width() * buffer.height())
        throw std::invalid_argument("Multi-array shape " + shapeText(shape_) + " does not lie on a pixel buffer of "
                                    + std::to_string(buffer.width()) + " x " + std::to_string(buffer.height()));
}

MLMultiArray::MLMultiArray(std::shared_ptr<ArrayStorage> storage, std::vector<std::int64_t> shape,
                           MLMultiArrayDataType dataType)
    : storage_(std::move(storage)),
      shape_(std::move(shape)),
      strides_(shape_.size()),
      count_(elementCount(shape_, dataType)),
      dataType_(dataType)
{
    std::int64_t stride = 1;
    for (size_t i = shape_.size(); i-- > 0;) {
        strides_[i] = stride;
        stride *= shape_[i];
    }
}

void MLMultiArray::requireElementType(MLMultiArrayDataType type) const
{
    if (type != dataType_)
        throw std::invalid_argument("A " + std::string(multiArrayDataTypeNames.name(dataType_))
                                    + " multi-array read as " + std::string(multiArrayDataTypeNames.name(type)));
}

std::size_t MLMultiArray::checkedIndex(std::int64_t index) const
{
    if (index < 0 || index >= count_)
        throw std::out_of_range("Index " + std::to_string(index) + " is outside a multi-array of "
                                + std::to_string(count_) + " elements");
    return static_cast<std::size_t>(index);
}

std::byte* MLMultiArray::mutableBytes()
{
    storage_->bumpVersion();
    return storage_->bytes();
}

double MLMultiArray::number(std::int64_t index) const
{
    const std::size_t at = checkedIndex(index);
    switch (dataType_) {
    case MLMultiArrayDataType::float16: return static_cast<float>(values<Float16>()[at]);
    case MLMultiArrayDataType::float32: return values<float>()[at];
    case MLMultiArrayDataType::float64: return values<double>()[at];
    case MLMultiArrayDataType::int32: return values<std::int32_t>()[at];
    }
    return 0;
}

void MLMultiArray::setNumber(std::int64_t index, double value)
{
    const std::size_t at = checkedIndex(index);
    switch (dataType_) {
    case MLMultiArrayDataType::float16: mutableValues<Float16>()[at] = Float16(static_cast<float>(value)); break;
    case MLMultiArrayDataType::float32: mutableValues<float>()[at] = static_cast<float>(value); break;
    case MLMultiArrayDataType::float64: mutableValues<double>()[at] = value; break;
    case MLMultiArrayDataType::int32:
        // Integers take the whole part, as conversions to integers do.
        if (!(value > std::numeric_limits<std::int32_t>::min() - 1.0 && value < std::numeric_limits<std::int32_t>::max() + 1.0))
            throw std::out_of_range("A 32-bit integer multi-array cannot hold " + std::to_string(value));
        mutableValues<std::int32_t>()[at] = static_cast<std::int32_t>(value);
        break;
    }
}

} // namespace Platform::CoreML
