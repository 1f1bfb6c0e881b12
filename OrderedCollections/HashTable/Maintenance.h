#pragma once

// Keeping a table in step with its owner's element array: backward-shift
// deletion, moving stored offsets when elements are inserted or removed in the
// middle (on the shorter side, the front through the one-word bias), and
// exchanging two offsets.

#include "OrderedCollections/HashTable/Lookup.h"

#include <span>

namespace OrderedCollections::detail {

// The first bucket of the run of occupied buckets that holds `bucket`.
inline Bucket firstOccupiedBucketInChain(UnsafeHandle table, Bucket bucket)
{
    Bucket current = bucket;
    do {
        current = table.bucketBefore(current);
    } while (table.isOccupied(current));
    return table.bucketAfter(current);
}

// Empties the bucket and moves later members of its run back, so that every
// probe still ends at its element. `hashOf(offset, seed)` hashes an element.
template <class HashOf>
void deleteBucket(UnsafeHandle table, Bucket bucket, HashOf&& hashOf)
{
    BucketIterator it(table, bucket);
    it.advance();
    Bucket hole = bucket;
    if (it.isOccupied()) {
        const Bucket first = firstOccupiedBucketInChain(table, bucket);
        const std::ptrdiff_t mask = table.bucketMask();
        while (it.isOccupied()) {
            const std::ptrdiff_t ideal = hashOf(*it.currentValue(), table.seed()) & mask;
            const bool movable = hole.offset >= first.offset ? first.offset <= ideal && ideal <= hole.offset
                                                             : ideal >= first.offset || ideal <= hole.offset;
            if (movable) {
                table.setRaw(hole, it.currentRawValue());
                hole = it.currentBucket();
            }
            it.advance();
        }
    }
    table.setRaw(hole, 0);
}

namespace shifts {
// Every occupied bucket whose offset passes `selects` gets `delta` added.
template <class Selects>
void sweep(UnsafeHandle table, std::ptrdiff_t delta, Selects&& selects)
{
    for (std::ptrdiff_t b = 0; b < table.bucketCount(); ++b) {
        const auto offset = table[Bucket{b}];
        if (offset && selects(*offset))
            table.set(Bucket{b}, *offset + delta);
    }
}

// Rewrites the bucket that holds `from` (found from the element's ideal bucket) to `to`.
template <class T>
void moveOffset(UnsafeHandle table, const T& element, std::ptrdiff_t from, std::ptrdiff_t to)
{
    BucketIterator it(table, idealBucket(table, element));
    it.advanceUntil(from);
    precondition(it.isOccupied());
    it.setCurrentValue(to);
}

// A third of the capacity: 5 below scale 5, a quarter of the buckets above.
inline std::ptrdiff_t sweepThreshold(UnsafeHandle table)
{
    return HashTable::maximumCapacity(table.scale()) / 3;
}
} // namespace shifts

// Before an element is inserted at `offset` of `elements`: every stored offset
// o >= offset reads o + 1, and `offset` is left free.
template <class T>
void adjustContentsForInsertion(UnsafeHandle table, std::ptrdiff_t offset, std::span<const T> elements)
{
    const auto n = static_cast<std::ptrdiff_t>(elements.size());
    const std::ptrdiff_t threshold = shifts::sweepThreshold(table);
    if (offset < n / 2) {
        table.setBias(table.bias() + 1);
        if (offset > threshold) {
            shifts::sweep(table, -1, [&](std::ptrdiff_t v) { return v <= offset; });
        } else {
            for (std::ptrdiff_t k = 1; k <= offset; ++k)
                shifts::moveOffset(table, elements[static_cast<std::size_t>(k - 1)], k, k - 1);
        }
    } else if (n - offset - 1 > threshold) {
        shifts::sweep(table, 1, [&](std::ptrdiff_t v) { return v >= offset; });
    } else {
        // From the back, so that no offset is ever stored twice on the way.
        for (std::ptrdiff_t k = n - 1; k >= offset; --k)
            shifts::moveOffset(table, elements[static_cast<std::size_t>(k)], k, k + 1);
    }
}

// After the buckets of elements[lower ..< upper] were deleted and before they
// leave the array: offsets from `upper` read n lower, those below `lower` stay.
template <class T>
void adjustContentsForRemoval(UnsafeHandle table, std::ptrdiff_t lower, std::ptrdiff_t upper,
                              std::span<const T> elements)
{
    const std::ptrdiff_t n = upper - lower;
    if (n < 1)
        return;
    const auto count = static_cast<std::ptrdiff_t>(elements.size());
    const std::ptrdiff_t threshold = shifts::sweepThreshold(table);
    if (lower < (count - n) / 2) {
        if (lower < threshold) {
            // From the back, so that no offset is ever stored twice on the way.
            for (std::ptrdiff_t k = lower - 1; k >= 0; --k)
                shifts::moveOffset(table, elements[static_cast<std::size_t>(k)], k, k + n);
        } else {
            shifts::sweep(table, n, [&](std::ptrdiff_t v) { return v < lower; });
        }
        table.setBias(table.bias() - n);
    } else {
        if (count - upper < threshold) {
            for (std::ptrdiff_t k = upper; k < count; ++k)
                shifts::moveOffset(table, elements[static_cast<std::size_t>(k)], k, k - n);
        } else {
            shifts::sweep(table, -n, [&](std::ptrdiff_t v) { return v >= upper; });
        }
    }
}

// Called with each element and the offset its bucket holds now: that bucket
// gets the other element's offset.
template <class T>
void swapBucketValues(UnsafeHandle table, const T& left, std::ptrdiff_t leftOffset, const T& right,
                      std::ptrdiff_t rightOffset)
{
    BucketIterator leftIt(table, idealBucket(table, left));
    leftIt.advanceUntil(leftOffset);
    leftIt.setCurrentValue(rightOffset);
    BucketIterator rightIt(table, idealBucket(table, right));
    rightIt.advanceUntil(rightOffset);
    rightIt.setCurrentValue(leftOffset);
}

} // namespace OrderedCollections::detail
