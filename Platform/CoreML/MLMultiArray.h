#pragma once

#include "Platform/CoreML/ArrayStorage.h"
#include "Platform/CoreML/MLMultiArrayDataType.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

namespace Platform::CoreML {

class PixelBuffer;
template <MLMultiArrayScalar Scalar>
class MLShapedArray;

// A typed n-dimensional array, stored contiguously in row-major order (no
// padded rows). A handle: copies share the elements, as references to one
// array do. Any number of threads may read an array at once; whoever writes
// it must have it to itself.
class MLMultiArray {
public:
    // A zero-filled array. Throws std::invalid_argument for an empty shape or a
    // negative extent, std::length_error for a size no memory holds.
    MLMultiArray(std::vector<std::int64_t> shape, MLMultiArrayDataType dataType);

    // A 16-bit float array over a pixel buffer's memory: the last extent is the
    // buffer's width and the others multiply to its height, else
    // std::invalid_argument.
    MLMultiArray(const PixelBuffer& buffer, std::vector<std::int64_t> shape);

    // A new array holding a copy of the shaped array's elements.
    template <MLMultiArrayScalar Scalar>
    explicit MLMultiArray(const MLShapedArray<Scalar>& shaped);

    const std::vector<std::int64_t>& shape() const { return shape_; }
    const std::vector<std::int64_t>& strides() const { return strides_; }
    std::int64_t count() const { return count_; }
    MLMultiArrayDataType dataType() const { return dataType_; }

    // Element `index` of the storage, converted to or from a double; a number
    // that an integer element cannot hold is refused. Both throw
    // std::out_of_range for an index outside the array.
    double number(std::int64_t index) const;
    void setNumber(std::int64_t index, double value);

    // The elements as C++ values; std::invalid_argument when T is not the
    // element type. A writable view raises the version.
    template <MLMultiArrayScalar T>
    std::span<const T> values() const
    {
        requireElementType(MLMultiArrayElement<T>::dataType);
        return {reinterpret_cast<const T*>(storage_->bytes()), static_cast<std::size_t>(count_)};
    }
    template <MLMultiArrayScalar T>
    std::span<T> mutableValues()
    {
        requireElementType(MLMultiArrayElement<T>::dataType);
        storage_->bumpVersion();
        return {reinterpret_cast<T*>(storage_->bytes()), static_cast<std::size_t>(count_)};
    }

    // The raw elements; the writable form raises the version.
    const std::byte* bytes() const { return storage_->bytes(); }
    std::byte* mutableBytes();
    std::size_t byteCount() const { return static_cast<std::size_t>(count_) * elementSize(dataType_); }

    // Which storage the array is (unique in the process) and how often it has
    // been opened for writing: together they say whether contents seen before
    // are still current.
    std::uint64_t identifier() const { return storage_->identifier(); }
    std::uint64_t version() const { return storage_->version(); }
    bool isSameArray(const MLMultiArray& other) const { return storage_ == other.storage_ && shape_ == other.shape_; }

private:
    MLMultiArray(std::shared_ptr<ArrayStorage> storage, std::vector<std::int64_t> shape,
                 MLMultiArrayDataType dataType);
    void requireElementType(MLMultiArrayDataType type) const;
    std::size_t checkedIndex(std::int64_t index) const;

    std::shared_ptr<ArrayStorage> storage_;
    std::vector<std::int64_t> shape_;
    std::vector<std::int64_t> strides_;
    std::int64_t count_ = 0;
    MLMultiArrayDataType dataType_;
};

// "[1, 8, 1, 224]", for messages.
std::string shapeText(const std::vector<std::int64_t>& shape);

} // namespace Platform::CoreML
