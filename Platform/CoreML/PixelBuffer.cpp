#include "Platform/CoreML/PixelBuffer.h"

#include <cstddef>
#include <limits>
#include <new>

namespace Platform::CoreML {

PixelBuffer::PixelBuffer(std::int64_t width, std::int64_t height, std::shared_ptr<ArrayStorage> storage)
    : width_(width), height_(height), storage_(std::move(storage))
{
}

std::optional<PixelBuffer> PixelBuffer::make(std::int64_t width, std::int64_t height)
{
    std::int64_t bytes = 0;
    if (width < 1 || height < 1 || __builtin_mul_overflow(width, height, &bytes)
        || __builtin_mul_overflow(bytes, std::int64_t{2}, &bytes)
        || static_cast<std::uint64_t>(bytes) > std::numeric_limits<std::ptrdiff_t>::max())
        return std::nullopt;
    try {
        return PixelBuffer(width, height, std::make_shared<ArrayStorage>(static_cast<std::size_t>(bytes)));
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
}

} // namespace Platform::CoreML
