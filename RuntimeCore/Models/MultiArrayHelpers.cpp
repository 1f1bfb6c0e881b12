#include "RuntimeCore/Models/MultiArrayHelpers.h"

#include <string>

namespace RuntimeCore {

std::optional<Platform::CoreML::PixelBuffer> pixelBuffer(const std::vector<std::int64_t>& shape)
{
    if (shape.empty())
        return std::nullopt;
    std::int64_t height = 1;
    for (size_t i = 0; i + 1 < shape.size(); ++i)
        if (shape[i] < 0 || __builtin_mul_overflow(height, shape[i], &height))
            return std::nullopt;
    return Platform::CoreML::PixelBuffer::make(shape.back(), height);
}

MLMultiArray emptyMultiArray(const std::vector<std::int64_t>& shape, MLMultiArrayDataType dataType)
{
    if (dataType != MLMultiArrayDataType::float16)
        return MLMultiArray(shape, dataType);
    const auto buffer = pixelBuffer(shape);
    if (!buffer)
        throw MLMultiArrayCreationError::pixelBufferFailed();
    return MLMultiArray(*buffer, shape);
}

MLMultiArray multiArrayFrom(const std::vector<int>& values, int dims)
{
    if (dims < 1)
        throw std::invalid_argument("An array needs at least one dimension, not " + std::to_string(dims));
    std::vector<std::int64_t> shape(static_cast<size_t>(dims), 1);
    shape.back() = static_cast<std::int64_t>(values.size());
    MLMultiArray array(shape, MLMultiArrayDataType::int32);
    std::ranges::copy(values, array.mutableValues<std::int32_t>().begin());
    return array;
}

std::int64_t linearOffset(const MLMultiArray& array, const std::vector<std::int64_t>& index,
                          const std::optional<std::vector<std::int64_t>>& strides)
{
    const std::vector<std::int64_t>& by = strides ? *strides : array.strides();
    std::int64_t offset = 0;
    for (size_t i = 0; i < std::min(index.size(), by.size()); ++i) {
        std::int64_t term = 0;
        if (__builtin_mul_overflow(index[i], by[i], &term) || __builtin_add_overflow(offset, term, &offset))
            throw std::overflow_error("An element offset past the 64-bit range");
    }
    return offset;
}

void fillLastDimension(MLMultiArray& array, std::int64_t begin, std::int64_t end, Float16 value)
{
    const auto& shape = array.shape();
    if (array.dataType() != MLMultiArrayDataType::float16 || shape.size() != 3 || shape[0] != 1 || shape[1] != 1)
        throw std::invalid_argument("Only a (1, 1, N) array of 16-bit floats is filled along its last dimension, not "
                                    + Platform::CoreML::shapeText(shape));
    if (begin < 0 || begin > end || end > shape[2])
        throw std::out_of_range("Positions " + std::to_string(begin) + "..<" + std::to_string(end)
                                + " are not within 0..<" + std::to_string(shape[2]));
    const auto elements = array.mutableValues<Float16>();
    const std::int64_t stride = array.strides()[2];
    for (std::int64_t i = begin; i < end; ++i)
        elements[static_cast<size_t>(i * stride)] = value;
}

void checkFill(const MLMultiArray& array, const std::vector<std::vector<std::int64_t>>& indexes,
               MLMultiArrayDataType valueType)
{
    if (valueType != array.dataType())
        throw std::invalid_argument("A " + std::string(Platform::CoreML::multiArrayDataTypeNames.name(valueType))
                                    + " value cannot fill an array of "
                                    + std::string(Platform::CoreML::multiArrayDataTypeNames.name(array.dataType())));
    const auto& shape = array.shape();
    for (const auto& index : indexes) {
        bool inside = index.size() == shape.size();
        for (size_t i = 0; inside && i < index.size(); ++i)
            inside = index[i] >= 0 && index[i] < shape[i];
        if (!inside)
            throw std::out_of_range("Index " + Platform::CoreML::shapeText(index) + " is outside an array of shape "
                                    + Platform::CoreML::shapeText(shape));
    }
}

} // namespace RuntimeCore
