#include "Platform/CoreML/ArrayStorage.h"

#include <cstdlib>
#include <new>

namespace Platform::CoreML {
namespace {
std::atomic<std::uint64_t> nextIdentifier{1};
}

// calloc rather than new: large arrays come as fresh zero pages, not written
// twice.
ArrayStorage::ArrayStorage(std::size_t byteCount)
    : bytes_(static_cast<std::byte*>(std::calloc(byteCount ? byteCount : 1, 1))),
      byteCount_(byteCount),
      identifier_(nextIdentifier.fetch_add(1, std::memory_order_relaxed))
{
    if (!bytes_)
        throw std::bad_alloc();
}

ArrayStorage::~ArrayStorage() { std::free(bytes_); }

} // namespace Platform::CoreML
