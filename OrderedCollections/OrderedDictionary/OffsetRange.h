#pragma once

// A half-open range of offsets, lowerBound ..< upperBound.

#include "InternalCollectionsUtilities/Fatal.h"

#include <cstddef>
#include <optional>

namespace OrderedCollections {

struct OffsetRange {
    std::ptrdiff_t lowerBound = 0;
    std::ptrdiff_t upperBound = 0;

    std::ptrdiff_t count() const { return upperBound - lowerBound; }
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

} // namespace OrderedCollections
