#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

namespace Platform::CoreML {

// The zero-filled memory behind arrays and pixel buffers, shared by every
// handle to it. Each storage has an identifier of its own for the life of the
// process, and a version that every writable access raises, so a computation
// derived from an array's contents can tell whether it is still current.
class ArrayStorage {
public:
    // Throws std::bad_alloc.
    explicit ArrayStorage(std::size_t byteCount);
    ~ArrayStorage();
    ArrayStorage(const ArrayStorage&) = delete;
    ArrayStorage& operator=(const ArrayStorage&) = delete;

    std::byte* bytes() const { return bytes_; }
    std::size_t byteCount() const { return byteCount_; }
    std::uint64_t identifier() const { return identifier_; }
    std::uint64_t version() const { return version_.load(std::memory_order_acquire); }
    void bumpVersion() { version_.fetch_add(1, std::memory_order_acq_rel); }

private:
    std::byte* bytes_;
    std::size_t byteCount_;
    std::uint64_t identifier_;
    std::atomic<std::uint64_t> version_{0};
};

} // namespace Platform::CoreML
