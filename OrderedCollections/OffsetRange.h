#pragma once

// A half-open range of offsets, lowerBound ..< upperBound, and the index
// arithmetic of the collections whose positions are plain offsets.

#include "InternalCollectionsUtilities/Fatal.h"

#include <cstddef>
#include <optional>

namespace OrderedCollections {

struct OffsetRange {
    std::ptrdiff_t lowerBound = 0;
    std::ptrdiff_t upperBound = 0;

    std::ptrdiff_t count() const { return upperBound - lowerBound; }
    bool contains(std::ptrdiff_t offset) const { return offset >= lowerBound && offset < upperBound; }
    friend bool operator==(const OffsetRange&, const OffsetRange&) = default;
};

// i + n, or none when the limit lies on the way (an offset of 0 always gives i).
inline std::optional<std::ptrdiff_t> indexOffsetBy(std::ptrdiff_t i, std::ptrdiff_t n, std::ptrdiff_t limit)
{
    std::ptrdiff_t distanceToLimit;
    InternalCollectionsUtilities::precondition(!__builtin_sub_overflow(limit, i, &distanceToLimit));
    if ((n > 0 && distanceToLimit >= 0 && distanceToLimit < n) ||
        (n < 0 && n < distanceToLimit && distanceToLimit <= 0))
        return std::nullopt;
    std::ptrdiff_t result;
    InternalCollectionsUtilities::precondition(!__builtin_add_overflow(i, n, &result));
    return result;
}

// Position arithmetic that needs no collection: overflow stops the program.
struct OffsetIndexing {
    std::ptrdiff_t index(std::ptrdiff_t i, std::ptrdiff_t offsetBy) const
    {
        std::ptrdiff_t result;
        InternalCollectionsUtilities::precondition(!__builtin_add_overflow(i, offsetBy, &result));
        return result;
    }
    std::optional<std::ptrdiff_t> index(std::ptrdiff_t i, std::ptrdiff_t offsetBy, std::ptrdiff_t limitedBy) const
    {
        return indexOffsetBy(i, offsetBy, limitedBy);
    }
    std::ptrdiff_t indexAfter(std::ptrdiff_t i) const { return index(i, 1); }
    std::ptrdiff_t indexBefore(std::ptrdiff_t i) const { return index(i, -1); }
    void formIndexAfter(std::ptrdiff_t& i) const { i = indexAfter(i); }
    void formIndexBefore(std::ptrdiff_t& i) const { i = indexBefore(i); }
    std::ptrdiff_t distance(std::ptrdiff_t from, std::ptrdiff_t to) const
    {
        std::ptrdiff_t result;
        InternalCollectionsUtilities::precondition(!__builtin_sub_overflow(to, from, &result));
        return result;
    }
};

} // namespace OrderedCollections
