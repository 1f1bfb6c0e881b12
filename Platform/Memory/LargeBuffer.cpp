#include "Platform/Memory/LargeBuffer.h"

#include "Platform/Math/IntegerRounding.h"

#include <cstdint>
#include <new>
#include <sys/mman.h>

namespace Platform {
namespace {

constexpr std::size_t kHugePage = std::size_t{2} << 20;

std::size_t mappedLength(std::size_t bytes)
{
    return roundUp(bytes == 0 ? std::size_t{1} : bytes, kHugePage);
}

} // namespace

void LargeBufferRelease::operator()(std::byte* address) const
{
    ::munmap(address, mappedBytes);
}

LargeBuffer allocateLargeBuffer(std::size_t bytes)
{
    // Huge pages need an aligned range: map one page more than needed and
    // give back what lies outside the aligned part.
    const std::size_t length = mappedLength(bytes);
    void* mapped = ::mmap(nullptr, length + kHugePage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapped == MAP_FAILED)
        throw std::bad_alloc();
    const auto start = reinterpret_cast<std::uintptr_t>(mapped);
    const std::uintptr_t aligned = roundUp<std::uintptr_t>(start, kHugePage);
    if (aligned > start)
        ::munmap(mapped, aligned - start);
    ::munmap(reinterpret_cast<void*>(aligned + length), start + kHugePage - aligned);
    auto* address = reinterpret_cast<std::byte*>(aligned);
    // Only a hint: without huge pages the buffer is ordinary memory.
    ::madvise(address, length, MADV_HUGEPAGE);
    return LargeBuffer(address, LargeBufferRelease{length});
}

void releaseLargeBuffer(std::byte* address, std::size_t bytes)
{
    LargeBufferRelease{mappedLength(bytes)}(address);
}

} // namespace Platform
