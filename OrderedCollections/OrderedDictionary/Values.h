#pragma once

// The values of an ordered dictionary as a view over their contiguous storage:
// values can be read, replaced, exchanged and partitioned, never added or
// removed, and the keys stay where they are. The view must not outlive the
// dictionary, and changes to the dictionary invalidate it.

#include "InternalCollectionsUtilities/Descriptions.h"
#include "InternalCollectionsUtilities/Fatal.h"
#include "OrderedCollections/HashTable/SeededHash.h"
#include "OrderedCollections/OffsetRange.h"

#include <algorithm>
#include <functional>
#include <ostream>
#include <span>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

namespace OrderedCollections {

// `Value` is const for a view of a dictionary that may not change.
template <class Value>
class Values {
public:
    explicit Values(std::span<Value> values) : values_(values) {}

    std::ptrdiff_t count() const { return static_cast<std::ptrdiff_t>(values_.size()); }
    std::size_t size() const { return values_.size(); }
    bool isEmpty() const { return values_.empty(); }
    auto begin() const { return values_.begin(); }
    auto end() const { return values_.end(); }

    Value& operator[](std::ptrdiff_t offset) const
    {
        InternalCollectionsUtilities::precondition(offset >= 0 && offset < count());
        return values_[static_cast<std::size_t>(offset)];
    }
    Values operator[](OffsetRange range) const
    {
        InternalCollectionsUtilities::precondition(range.lowerBound >= 0 && range.lowerBound <= range.upperBound &&
                                                   range.upperBound <= count());
        return Values(
            values_.subspan(static_cast<std::size_t>(range.lowerBound), static_cast<std::size_t>(range.count())));
    }

    // The two keys exchange their values.
    void swapAt(std::ptrdiff_t i, std::ptrdiff_t j) const requires(!std::is_const_v<Value>)
    {
        using std::swap;
        swap((*this)[i], (*this)[j]);
    }

    // Values for which the predicate holds move after the others, between the
    // keys; returns the offset of the first of them.
    template <class Predicate>
    std::ptrdiff_t partition(Predicate&& belongsInSecondPartition) const requires(!std::is_const_v<Value>)
    {
        const auto boundary = std::partition(values_.begin(), values_.end(), [&](const Value& value) {
            return !std::invoke(belongsInSecondPartition, value);
        });
        return boundary - values_.begin();
    }

    std::vector<std::remove_const_t<Value>> elements() const { return {values_.begin(), values_.end()}; }

    template <class Body>
    decltype(auto) withUnsafeBufferPointer(Body&& body) const
    {
        return std::invoke(body, std::span<const Value>(values_));
    }
    template <class Body>
    decltype(auto) withUnsafeMutableBufferPointer(Body&& body) const requires(!std::is_const_v<Value>)
    {
        return std::invoke(body, values_);
    }

    friend bool operator==(const Values& a, const Values& b) { return std::ranges::equal(a.values_, b.values_); }

    friend std::int64_t seededHash(const Values& values, std::int64_t seed)
    {
        return seededHashOfSequence(values.values_, seed);
    }

    std::string description() const { return InternalCollectionsUtilities::_arrayDescription(values_); }
    friend std::ostream& operator<<(std::ostream& out, const Values& values) { return out << values.description(); }
    friend void PrintTo(const Values& values, std::ostream* out) { *out << values.description(); }

private:
    std::span<Value> values_;
};

} // namespace OrderedCollections
