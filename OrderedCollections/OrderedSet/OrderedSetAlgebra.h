#pragma once

// The set operations that build a set: union, intersection, subtraction and
// symmetric difference, with their in-place forms, and removal of a member.
// Ranges are read once; a scratch bit set of this set's offsets absorbs
// repeated elements and collects the survivors in order.

#include "InternalCollectionsUtilities/BitSet/TemporaryBitSet.h"
#include "OrderedCollections/OrderedSet/OrderedSet.h"
#include "OrderedCollections/OrderedSet/OrderedSetOperands.h"

#include <concepts>
#include <optional>
#include <utility>

namespace OrderedCollections {

namespace detail {

using InternalCollectionsUtilities::detail::UnsafeBitSet;
using InternalCollectionsUtilities::detail::withTemporaryBitSet;

// The ordered set behind an ordered set or its unordered view.
template <class Element>
const OrderedSet<Element>& orderedSetBehind(const OrderedSet<Element>& set)
{
    return set;
}
template <class Element>
const OrderedSet<Element>& orderedSetBehind(const OrderedSetUnorderedView<Element>& view)
{
    return view.base();
}

template <class Operand, class Element>
concept OrderedOperand = requires(const Operand& operand)
{
    {
        orderedSetBehind(operand)
        } -> std::same_as<const OrderedSet<Element>&>;
};

} // namespace detail

template <class Element>
std::optional<Element> OrderedSet<Element>::removeMember(const Element& item)
{
    const auto found = _find(item);
    if (!found.index)
        return std::nullopt;
    return _removeExistingMember(*found.index, found.bucket);
}

template <class Element>
template <ElementRange<Element> Other>
void OrderedSet<Element>::formUnion(Other&& other)
{
    appendContentsOf(std::forward<Other>(other));
}

template <class Element>
template <ElementRange<Element> Other>
OrderedSet<Element> OrderedSet<Element>::union_(Other&& other) const
{
    OrderedSet result = *this;
    result.formUnion(std::forward<Other>(other));
    return result;
}

template <class Element>
template <ElementRange<Element> Other>
OrderedSet<Element> OrderedSet<Element>::appending(Other&& other) const
{
    return union_(std::forward<Other>(other));
}

// A set operand is probed for each element of this set; a range marks the
// offsets of the elements it holds.
template <class Element>
template <ElementRange<Element> Other>
OrderedSet<Element> OrderedSet<Element>::intersection(Other&& other) const
{
    if (isEmpty())
        return OrderedSet();
    return detail::withTemporaryBitSet(count(), [&](detail::UnsafeBitSet& found) {
        if constexpr (SetOperand<Other, Element>) {
            for (std::size_t i = 0; i < elements_.size(); ++i)
                if (detail::operandContains(other, elements_[i]))
                    found.insert(i);
        } else {
            for (auto&& item : other)
                if (const auto offset = _find(item).index)
                    found.insert(static_cast<std::uint64_t>(*offset));
        }
        return _extractSubset(found, std::nullopt, 0);
    });
}

template <class Element>
template <ElementRange<Element> Other>
void OrderedSet<Element>::formIntersection(Other&& other)
{
    *this = intersection(std::forward<Other>(other));
}

// Stops reading as soon as nothing is left.
template <class Element>
template <ElementRange<Element> Other>
OrderedSet<Element> OrderedSet<Element>::subtracting(Other&& other) const
{
    if (isEmpty())
        return OrderedSet();
    return detail::withTemporaryBitSet(count(), [&](detail::UnsafeBitSet& kept) {
        kept.insertAll(static_cast<std::uint64_t>(count()));
        std::ptrdiff_t remaining = count();
        for (auto&& item : other) {
            const auto offset = _find(item).index;
            if (!offset || !kept.remove(static_cast<std::uint64_t>(*offset)))
                continue;
            if (remaining == 1)
                return OrderedSet();
            --remaining;
        }
        return _extractSubset(kept, remaining, 0);
    });
}

template <class Element>
template <ElementRange<Element> Other>
void OrderedSet<Element>::subtract(Other&& other)
{
    *this = subtracting(std::forward<Other>(other));
}

// With an ordered operand, two bit sets of offsets find the elements on each
// side that the other lacks, without hashing a third set.
template <class Element>
template <ElementRange<Element> Other>
OrderedSet<Element> OrderedSet<Element>::symmetricDifference(Other&& other) const
{
    if constexpr (detail::OrderedOperand<Other, Element>) {
        const OrderedSet& operand = detail::orderedSetBehind(other);
        return detail::withTemporaryBitSet(count(), [&](detail::UnsafeBitSet& ours) {
            ours.insertAll(static_cast<std::uint64_t>(count()));
            for (const Element& item : operand)
                if (const auto offset = _find(item).index)
                    ours.remove(static_cast<std::uint64_t>(*offset));
            return detail::withTemporaryBitSet(operand.count(), [&](detail::UnsafeBitSet& theirs) {
                theirs.insertAll(static_cast<std::uint64_t>(operand.count()));
                for (const Element& item : elements_)
                    if (const auto offset = operand._find(item).index)
                        theirs.remove(static_cast<std::uint64_t>(*offset));
                OrderedSet result = _extractSubset(ours, std::nullopt, theirs.count());
                for (const std::uint64_t offset : theirs)
                    result._appendNew(operand.elements_[offset]);
                return result;
            });
        });
    } else {
        return detail::withTemporaryBitSet(count(), [&](detail::UnsafeBitSet& ours) {
            ours.insertAll(static_cast<std::uint64_t>(count()));
            OrderedSet extras;
            for (auto&& item : other) {
                if (const auto offset = _find(item).index)
                    ours.remove(static_cast<std::uint64_t>(*offset));
                else
                    extras.append(Element(std::forward<decltype(item)>(item)));
            }
            OrderedSet result = _extractSubset(ours, std::nullopt, extras.count());
            for (Element& item : extras.elements_)
                result._appendNew(std::move(item));
            return result;
        });
    }
}

template <class Element>
template <ElementRange<Element> Other>
void OrderedSet<Element>::formSymmetricDifference(Other&& other)
{
    *this = symmetricDifference(std::forward<Other>(other));
}

} // namespace OrderedCollections
