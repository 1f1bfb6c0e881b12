#pragma once

#include "Platform/CoreML/ArrayStorage.h"

#include <cstdint>
#include <memory>
#include <optional>

namespace Platform::CoreML {

// A one-channel image of 16-bit floats over plain zero-filled memory, the kind
// of buffer 16-bit float arrays are made over. Rows are never padded: bytes
// per row is exactly twice the width.
class PixelBuffer {
public:
    // Nothing for a width or height below 1, a size no memory holds, or a
    // failed allocation.
    static std::optional<PixelBuffer> make(std::int64_t width, std::int64_t height);

    std::int64_t width() const { return width_; }
    std::int64_t height() const { return height_; }
    std::int64_t bytesPerRow() const { return 2 * width_; }
    const std::shared_ptr<ArrayStorage>& storage() const { return storage_; }

private:
    PixelBuffer(std::int64_t width, std::int64_t height, std::shared_ptr<ArrayStorage> storage);

    std::int64_t width_;
    std::int64_t height_;
    std::shared_ptr<ArrayStorage> storage_;
};

} // namespace Platform::CoreML
