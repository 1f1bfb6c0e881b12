#pragma once

// A contiguous range of an ordered set's positions, viewed in place. Its
// positions are the set's own offsets, and it finds elements through the
// set's index. Like std::span it refers to the set: it must not outlive it,
// and changes to the set invalidate it.

#include "OrderedCollections/OrderedSet/OrderedSet.h"

#include <algorithm>
#include <optional>
#include <ostream>
#include <span>
#include <string>

namespace OrderedCollections {

template <class Element>
class OrderedSetSlice : public OffsetIndexing {
public:
    using value_type = Element;
    using const_iterator = typename std::span<const Element>::iterator;

    OrderedSetSlice(const OrderedSet<Element>& base, OffsetRange bounds) : base_(&base), bounds_(bounds)
    {
        detail::precondition(bounds.lowerBound <= bounds.upperBound);
    }

    const OrderedSet<Element>& base() const { return *base_; }
    std::ptrdiff_t startIndex() const { return bounds_.lowerBound; }
    std::ptrdiff_t endIndex() const { return bounds_.upperBound; }
    OffsetRange indices() const { return bounds_; }
    std::ptrdiff_t count() const { return bounds_.count(); }
    std::size_t size() const { return static_cast<std::size_t>(count()); }
    bool isEmpty() const { return count() == 0; }

    // The base's element at an offset within the slice's bounds.
    const Element& operator[](std::ptrdiff_t offset) const
    {
        detail::precondition(bounds_.contains(offset));
        return elements()[static_cast<std::size_t>(offset - bounds_.lowerBound)];
    }
    // Any range: each later read through the new slice checks it against the base.
    OrderedSetSlice operator[](OffsetRange range) const
    {
        elements(); // checks this slice's own bounds
        return OrderedSetSlice(*base_, range);
    }

    // The contiguous elements; the bounds must lie within the base's elements.
    std::span<const Element> elements() const
    {
        detail::precondition(bounds_.lowerBound >= 0 && bounds_.upperBound <= base_->count());
        return std::span<const Element>(base_->elements())
            .subspan(static_cast<std::size_t>(bounds_.lowerBound), size());
    }
    const_iterator begin() const { return elements().begin(); }
    const_iterator end() const { return elements().end(); }

    // The element's offset in the base, when it lies within the bounds.
    std::optional<std::ptrdiff_t> _index(const Element& item) const
    {
        const auto offset = base_->_find(item).index;
        if (offset && bounds_.contains(*offset))
            return offset;
        return std::nullopt;
    }
    std::optional<std::ptrdiff_t> firstIndex(const Element& item) const { return _index(item); }
    std::optional<std::ptrdiff_t> lastIndex(const Element& item) const { return _index(item); }
    bool contains(const Element& item) const { return _index(item).has_value(); }
    // Always definite: a slice of distinct elements answers from the index.
    std::optional<bool> fastContains(const Element& item) const { return contains(item); }

    friend bool operator==(const OrderedSetSlice& a, const OrderedSetSlice& b)
    {
        return std::ranges::equal(a.elements(), b.elements());
    }
    friend std::int64_t seededHash(const OrderedSetSlice& slice, std::int64_t seed)
    {
        return seededHashOfSequence(slice.elements(), seed);
    }

    std::string description() const { return InternalCollectionsUtilities::_arrayDescription(elements()); }
    friend std::ostream& operator<<(std::ostream& out, const OrderedSetSlice& slice)
    {
        return out << slice.description();
    }
    friend void PrintTo(const OrderedSetSlice& slice, std::ostream* out) { *out << slice.description(); }

private:
    const OrderedSet<Element>* base_;
    OffsetRange bounds_;
};

template <class Element>
OrderedSetSlice<Element> OrderedSet<Element>::operator[](OffsetRange range) const
{
    detail::precondition(range.lowerBound >= 0 && range.upperBound <= count());
    return SubSequence(*this, range);
}

} // namespace OrderedCollections
