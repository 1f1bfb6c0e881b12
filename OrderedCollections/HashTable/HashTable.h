#pragma once

// The compact open-addressing index of an ordered collection: one heap block
// with two header words and then the buckets. It stores no elements and no
// hashes, only element offsets. A copy is a deep copy with the same seed, so
// the copy's buckets stay valid for it.

#include "OrderedCollections/HashTable/UnsafeHandle.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <limits>
#include <memory>
#include <new>
#include <span>
#include <string>
#include <utility>

namespace OrderedCollections::detail {

class HashTable {
public:
    static constexpr int minimumScale = 5;
    static constexpr int maximumScale = 56;
    static constexpr std::ptrdiff_t maximumUnhashedCount = 15;

    // The load limit is 3/4.
    static std::ptrdiff_t maximumCapacity(int scale)
    {
        if (scale < minimumScale)
            return maximumUnhashedCount;
        std::ptrdiff_t result = 0;
        precondition(scale < 62 && !__builtin_mul_overflow(std::ptrdiff_t(3), std::ptrdiff_t(1) << scale, &result));
        return result / 4;
    }
    // Below a quarter full the owner shrinks the table.
    static std::ptrdiff_t minimumCapacity(int scale)
    {
        return scale < minimumScale ? 0 : (std::ptrdiff_t(1) << scale) / 4;
    }
    // The least scale whose table holds `capacity` elements; 0 for 15 or fewer.
    static int scaleForCapacity(std::ptrdiff_t capacity)
    {
        if (capacity <= maximumUnhashedCount)
            return 0;
        precondition(capacity < (std::ptrdiff_t(1) << 61));
        const std::ptrdiff_t minimumBuckets = std::max((4 * capacity + 2) / 3, capacity + 1);
        return std::bit_width(static_cast<std::uint64_t>(minimumBuckets - 1));
    }

    // An empty table; the seed comes from the block's own address.
    HashTable(int scale, int reservedScale)
    {
        std::ptrdiff_t bitCount = 0;
        precondition(scale < 63 &&
                     !__builtin_mul_overflow(std::ptrdiff_t(scale), std::ptrdiff_t(1) << scale, &bitCount));
        allocate((bitCount + 63) / 64);
        header_->scaleAndSeed = static_cast<std::uint64_t>(scale) | (reinterpret_cast<std::uintptr_t>(header_) << 6);
        header_->reservedScaleAndBias = static_cast<std::uint64_t>(reservedScale);
    }

    // The same scale, seed, reserved scale, bias and buckets.
    HashTable(const HashTable& other)
    {
        allocate(other.wordCount_);
        *header_ = *other.header_;
        std::copy_n(other.buckets(), wordCount_, buckets());
    }
    HashTable(HashTable&& other) noexcept
        : header_(std::exchange(other.header_, nullptr)), wordCount_(std::exchange(other.wordCount_, 0))
    {
    }
    HashTable& operator=(HashTable other) noexcept
    {
        std::swap(header_, other.header_);
        std::swap(wordCount_, other.wordCount_);
        return *this;
    }
    ~HashTable() { ::operator delete(header_); }

    HashTable copy() const { return *this; }

    UnsafeHandle handle() const { return UnsafeHandle(header_, buckets()); }
    template <class Body>
    decltype(auto) read(Body&& body) const
    {
        return body(handle());
    }
    template <class Body>
    decltype(auto) update(Body&& body)
    {
        return body(handle());
    }

    const HashTableHeader& header() const { return *header_; }
    int scale() const { return header_->scale(); }
    int reservedScale() const { return header_->reservedScale(); }
    std::ptrdiff_t bias() const { return header_->bias(); }
    std::int64_t seed() const { return header_->seed(); }
    std::ptrdiff_t capacity() const { return maximumCapacity(scale()); }
    std::ptrdiff_t minimumCapacity() const { return scale() == reservedScale() ? 0 : minimumCapacity(scale()); }
    std::ptrdiff_t wordCount() const { return wordCount_; }
    // The bucket words, for comparing copies.
    std::span<const std::uint64_t> words() const { return {buckets(), static_cast<std::size_t>(wordCount_)}; }

    std::string description() const { return handle()._description("_HashTable"); }

private:
    void allocate(std::ptrdiff_t wordCount)
    {
        wordCount_ = wordCount;
        void* block = ::operator new(sizeof(HashTableHeader) + static_cast<std::size_t>(wordCount) * 8);
        header_ = new (block) HashTableHeader{};
        std::uninitialized_value_construct_n(buckets(), wordCount);
    }
    std::uint64_t* buckets() const { return reinterpret_cast<std::uint64_t*>(header_ + 1); }

    HashTableHeader* header_ = nullptr;
    std::ptrdiff_t wordCount_ = 0;
};

} // namespace OrderedCollections::detail
