#pragma once

// Finding and filling: the table maps each element, by its seeded hash, to its
// offset in the owner's element array, with linear probing.

#include "OrderedCollections/HashTable/BucketIterator.h"
#include "OrderedCollections/HashTable/HashTable.h"
#include "OrderedCollections/HashTable/SeededHash.h"

#include <optional>
#include <span>

namespace OrderedCollections::detail {

struct FindResult {
    std::optional<std::ptrdiff_t> index;
    Bucket bucket;
};

template <class T>
Bucket idealBucket(UnsafeHandle table, const T& element)
{
    return table.idealBucketForHashValue(seededHash(element, table.seed()));
}

// The item's offset and bucket, or no offset and the first empty bucket of its
// probe (where it would go). The hottest path of every container, so it reads
// each bucket directly rather than streaming words through a BucketIterator.
template <class T>
FindResult _find(UnsafeHandle table, const T& item, std::span<const T> elements)
{
    Bucket bucket = idealBucket(table, item);
    int wraps = 0;
    while (true) {
        const std::uint64_t raw = table.raw(bucket);
        if (raw == 0)
            return {std::nullopt, bucket};
        const std::ptrdiff_t offset = *table._value(raw);
        if (elements[static_cast<std::size_t>(offset)] == item)
            return {offset, bucket};
        bucket = table.bucketAfter(bucket);
        if (bucket.offset == 0 && ++wraps == 2)
            fatal(noUnoccupiedBucketsMessage);
    }
}

// The elements must be distinct.
template <class T>
void fillUncheckedUniqueElements(UnsafeHandle table, std::span<const T> elements)
{
    for (std::size_t offset = 0; offset < elements.size(); ++offset) {
        BucketIterator it(table, idealBucket(table, elements[offset]));
        it.advanceToNextUnoccupiedBucket();
        it.setCurrentValue(static_cast<std::ptrdiff_t>(offset));
    }
}

struct FillResult {
    bool success;
    std::ptrdiff_t end;
};

// Stores offsets until an element equals an earlier one; `end` is that
// element's index, or the count when all are distinct.
template <class T>
FillResult fillUntilFirstDuplicate(UnsafeHandle table, std::span<const T> elements)
{
    for (std::size_t offset = 0; offset < elements.size(); ++offset) {
        BucketIterator it(table, idealBucket(table, elements[offset]));
        while (it.isOccupied()) {
            if (elements[static_cast<std::size_t>(*it.currentValue())] == elements[offset])
                return {false, static_cast<std::ptrdiff_t>(offset)};
            it.advance();
        }
        it.setCurrentValue(static_cast<std::ptrdiff_t>(offset));
    }
    return {true, static_cast<std::ptrdiff_t>(elements.size())};
}

// The scale a new table for `count` elements gets, or none below the minimum.
inline std::optional<int> chosenScale(std::ptrdiff_t count, std::optional<int> scale, int reservedScale)
{
    const int chosen = std::max({scale.value_or(0), HashTable::scaleForCapacity(count), reservedScale});
    if (chosen < HashTable::minimumScale)
        return std::nullopt;
    return chosen;
}

template <class T>
std::optional<HashTable> createUncheckedUniqueElements(std::span<const T> elements, std::optional<int> scale,
                                                       int reservedScale)
{
    const auto chosen = chosenScale(static_cast<std::ptrdiff_t>(elements.size()), scale, reservedScale);
    if (!chosen)
        return std::nullopt;
    HashTable table(*chosen, reservedScale);
    fillUncheckedUniqueElements(table.handle(), elements);
    return table;
}

struct CreateResult {
    std::optional<HashTable> hashTable;
    std::ptrdiff_t end;
};

// A table filled up to the first repeated element; without a table the
// elements are compared directly.
template <class T>
CreateResult createUntilFirstDuplicate(std::span<const T> elements, std::optional<int> scale, int reservedScale)
{
    const auto chosen = chosenScale(static_cast<std::ptrdiff_t>(elements.size()), scale, reservedScale);
    if (!chosen) {
        for (std::size_t i = 1; i < elements.size(); ++i)
            for (std::size_t j = 0; j < i; ++j)
                if (elements[j] == elements[i])
                    return {std::nullopt, static_cast<std::ptrdiff_t>(i)};
        return {std::nullopt, static_cast<std::ptrdiff_t>(elements.size())};
    }
    HashTable table(*chosen, reservedScale);
    const auto fill = fillUntilFirstDuplicate(table.handle(), elements);
    return {std::move(table), fill.end};
}

} // namespace OrderedCollections::detail
