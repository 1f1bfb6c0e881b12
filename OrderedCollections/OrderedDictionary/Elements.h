#pragma once

// The pairs of an ordered dictionary as a random-access view, and a contiguous
// slice of them whose indices are the dictionary's own offsets. Views refer to
// the dictionary: they must not outlive it, and changes to it invalidate them.

#include "InternalCollectionsUtilities/Descriptions.h"
#include "InternalCollectionsUtilities/Fatal.h"
#include "OrderedCollections/OffsetRange.h"

#include <optional>
#include <ostream>
#include <string>

namespace OrderedCollections {

template <class Dictionary>
class OrderedDictionarySlice {
public:
    OrderedDictionarySlice(const Dictionary& base, OffsetRange bounds) : base_(&base), bounds_(bounds) {}

    std::ptrdiff_t startIndex() const { return bounds_.lowerBound; }
    std::ptrdiff_t endIndex() const { return bounds_.upperBound; }
    std::ptrdiff_t count() const { return bounds_.count(); }
    bool isEmpty() const { return bounds_.lowerBound == bounds_.upperBound; }

    auto operator[](std::ptrdiff_t offset) const
    {
        InternalCollectionsUtilities::precondition(offset >= bounds_.lowerBound && offset < bounds_.upperBound);
        return base_->elements()[offset];
    }
    OrderedDictionarySlice operator[](OffsetRange range) const
    {
        InternalCollectionsUtilities::precondition(range.lowerBound >= bounds_.lowerBound &&
                                                   range.lowerBound <= range.upperBound &&
                                                   range.upperBound <= bounds_.upperBound);
        return OrderedDictionarySlice(*base_, range);
    }

    // None also for a key of the dictionary outside the slice.
    std::optional<std::ptrdiff_t> indexForKey(const auto& key) const
    {
        const auto index = base_->indexForKey(key);
        if (index && *index >= bounds_.lowerBound && *index < bounds_.upperBound)
            return index;
        return std::nullopt;
    }
    // The keys of the slice, at the same offsets.
    auto keys() const { return base_->keys()[bounds_]; }
    auto values() const { return base_->values()[bounds_]; }

    auto begin() const { return typename Dictionary::const_iterator(base_, bounds_.lowerBound); }
    auto end() const { return typename Dictionary::const_iterator(base_, bounds_.upperBound); }

    std::string description() const { return InternalCollectionsUtilities::_dictionaryDescription(*this); }
    friend std::ostream& operator<<(std::ostream& out, const OrderedDictionarySlice& slice)
    {
        return out << slice.description();
    }

private:
    const Dictionary* base_;
    OffsetRange bounds_;
};

template <class Dictionary>
class OrderedDictionaryElements {
public:
    explicit OrderedDictionaryElements(const Dictionary& base) : base_(&base) {}

    std::ptrdiff_t startIndex() const { return 0; }
    std::ptrdiff_t endIndex() const { return base_->count(); }
    std::ptrdiff_t count() const { return base_->count(); }
    bool isEmpty() const { return base_->isEmpty(); }
    std::optional<std::ptrdiff_t> index(std::ptrdiff_t i, std::ptrdiff_t offsetBy, std::ptrdiff_t limitedBy) const
    {
        return indexOffsetBy(i, offsetBy, limitedBy);
    }

    // The pair at an offset in 0 ..< count.
    auto operator[](std::ptrdiff_t offset) const
    {
        InternalCollectionsUtilities::precondition(offset >= 0 && offset < count());
        return *typename Dictionary::const_iterator(base_, offset);
    }
    // The range must lie within 0 ... count; each read through the slice is checked.
    OrderedDictionarySlice<Dictionary> operator[](OffsetRange range) const
    {
        return OrderedDictionarySlice<Dictionary>(*base_, range);
    }

    const auto& keys() const { return base_->keys(); }
    auto values() const { return base_->values(); }
    std::optional<std::ptrdiff_t> indexForKey(const auto& key) const { return base_->indexForKey(key); }

    auto begin() const { return base_->begin(); }
    auto end() const { return base_->end(); }

    std::string description() const { return base_->description(); }
    friend std::ostream& operator<<(std::ostream& out, const OrderedDictionaryElements& elements)
    {
        return out << elements.description();
    }

private:
    const Dictionary* base_;
};

} // namespace OrderedCollections
