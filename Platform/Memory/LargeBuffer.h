#pragma once

#include <cstddef>
#include <memory>

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

} // namespace Platform
