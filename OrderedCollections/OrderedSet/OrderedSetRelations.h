#pragma once

// Subset, superset, disjointness and set equality, blind to order. Operands
// that hold distinct elements and answer membership are compared by count
// and probed; other ranges are read once, with a bit set counting the
// distinct offsets of this set they reach, and only as far as the answer needs.

#include "InternalCollectionsUtilities/BitSet/TemporaryBitSet.h"
#include "OrderedCollections/OrderedSet/OrderedSet.h"
#include "OrderedCollections/OrderedSet/OrderedSetOperands.h"

#include <algorithm>
#include <ranges>

namespace OrderedCollections {

namespace detail {

// How much of this set a range covers, read up to `stop` (or its end).
struct Coverage {
    std::ptrdiff_t members = 0; // distinct elements of the set seen
    bool sawOutsider = false;   // an element not in the set seen
};

// Reads the range, marking the set's offsets, until `stop(coverage)` holds.
template <class Set, class Range, class Stop>
Coverage readCoverage(const Set& set, Range&& range, Stop&& stop)
{
    return withTemporaryBitSet(set.count(), [&](UnsafeBitSet& seen) {
        Coverage coverage;
        for (auto&& item : range) {
            if (const auto offset = set._find(item).index) {
                if (seen.insert(static_cast<std::uint64_t>(*offset)))
                    ++coverage.members;
            } else {
                coverage.sawOutsider = true;
            }
            if (stop(coverage))
                break;
        }
        return coverage;
    });
}

} // namespace detail

template <class Element>
template <ElementRange<Element> Other>
bool OrderedSet<Element>::isSubset(Other&& other) const
{
    if constexpr (SetOperand<Other, Element>) {
        if (count() > static_cast<std::ptrdiff_t>(std::ranges::size(other)))
            return false;
        return std::ranges::all_of(elements_,
                                   [&](const Element& item) { return detail::operandContains(other, item); });
    } else {
        if (isEmpty())
            return true;
        const auto coverage =
            detail::readCoverage(*this, other, [&](const detail::Coverage& c) { return c.members == count(); });
        return coverage.members == count();
    }
}

// A range may repeat elements, so only membership decides.
template <class Element>
template <ElementRange<Element> Other>
bool OrderedSet<Element>::isSuperset(Other&& other) const
{
    if constexpr (SetOperand<Other, Element>) {
        if (static_cast<std::ptrdiff_t>(std::ranges::size(other)) > count())
            return false;
    }
    for (auto&& item : other)
        if (!contains(item))
            return false;
    return true;
}

// Every element of this set, and one more: reading stops when both are seen.
template <class Element>
template <ElementRange<Element> Other>
bool OrderedSet<Element>::isStrictSubset(Other&& other) const
{
    if constexpr (SetOperand<Other, Element>) {
        return count() < static_cast<std::ptrdiff_t>(std::ranges::size(other)) && isSubset(other);
    } else {
        const auto coverage = detail::readCoverage(
            *this, other, [&](const detail::Coverage& c) { return c.members == count() && c.sawOutsider; });
        return coverage.members == count() && coverage.sawOutsider;
    }
}

// Nothing outside this set, and not all of it: reading stops at the first
// outsider or when every element has been seen.
template <class Element>
template <ElementRange<Element> Other>
bool OrderedSet<Element>::isStrictSuperset(Other&& other) const
{
    if constexpr (SetOperand<Other, Element>) {
        return static_cast<std::ptrdiff_t>(std::ranges::size(other)) < count() && isSuperset(other);
    } else {
        if (isEmpty())
            return false;
        const auto coverage = detail::readCoverage(
            *this, other, [&](const detail::Coverage& c) { return c.sawOutsider || c.members == count(); });
        return !coverage.sawOutsider && coverage.members < count();
    }
}

// A set operand is walked or probed, whichever side is smaller.
template <class Element>
template <ElementRange<Element> Other>
bool OrderedSet<Element>::isDisjoint(Other&& other) const
{
    if (isEmpty())
        return true;
    if constexpr (SetOperand<Other, Element>) {
        if (static_cast<std::ptrdiff_t>(std::ranges::size(other)) >= count())
            return std::ranges::none_of(elements_,
                                        [&](const Element& item) { return detail::operandContains(other, item); });
    }
    for (auto&& item : other)
        if (contains(item))
            return false;
    return true;
}

template <class Element>
template <ElementRange<Element> Other>
bool OrderedSet<Element>::isEqualSet(Other&& other) const
{
    if constexpr (SetOperand<Other, Element>) {
        return count() == static_cast<std::ptrdiff_t>(std::ranges::size(other)) && isSubset(other);
    } else {
        const auto coverage =
            detail::readCoverage(*this, other, [](const detail::Coverage& c) { return c.sawOutsider; });
        return !coverage.sawOutsider && coverage.members == count();
    }
}

} // namespace OrderedCollections
