#pragma once

#include <cstddef>
#include <memory>
#include <vector>

namespace Platform {

struct LargeBufferRelease {
    std::size_t mappedBytes = 0;
    void operator()(std::byte* address) const;
};

// Uninitialised memory for a large array that lives long, like a model's
// weights. Where the system offers huge pages it uses them: filling the
// buffer then takes one page fault per 2 MiB instead of one per 4 KiB (the
// faults, not the copying, are most of the cost of loading a model), and
// streaming it later needs far fewer address translations.
using LargeBuffer = std::unique_ptr<std::byte[], LargeBufferRelease>;

// Throws std::bad_alloc.
LargeBuffer allocateLargeBuffer(std::size_t bytes);

// Gives back `address`, taken from allocateLargeBuffer(bytes) with release().
void releaseLargeBuffer(std::byte* address, std::size_t bytes);

// Containers of arrays as large as a model's window: their memory is a large
// buffer, so that filling it afresh costs few page faults, and it goes back
// to the system as soon as the container lets it go, where the heap might
// keep it.
template <typename T>
struct LargeBufferAllocator {
    using value_type = T;

    LargeBufferAllocator() = default;
    template <typename U>
    LargeBufferAllocator(const LargeBufferAllocator<U>&) noexcept
    {
    }

    T* allocate(std::size_t count) { return reinterpret_cast<T*>(allocateLargeBuffer(count * sizeof(T)).release()); }
    void deallocate(T* address, std::size_t count) noexcept
    {
        releaseLargeBuffer(reinterpret_cast<std::byte*>(address), count * sizeof(T));
    }

    friend bool operator==(const LargeBufferAllocator&, const LargeBufferAllocator&) { return true; }
};

template <typename T>
using LargeVector = std::vector<T, LargeBufferAllocator<T>>;

} // namespace Platform
