#pragma once

// Reordering and removal by position for the ordered dictionary. The key set
// keeps its index in step; the values follow the same permutation or removal.
// Sorting and shuffling work on a permutation first, so a throwing ordering
// or generator leaves the dictionary as it was.

#include "InternalCollectionsUtilities/Fatal.h"
#include "InternalCollectionsUtilities/RandomDraw.h"
#include "OrderedCollections/OrderedDictionary/OrderedDictionary.h"
#include "OrderedCollections/OrderedSet/Permutations.h"

#include <algorithm>
#include <functional>
#include <utility>
#include <vector>

namespace OrderedCollections {

template <class Key, class Value>
void OrderedDictionary<Key, Value>::permute(const std::vector<std::ptrdiff_t>& order)
{
    InternalCollectionsUtilities::precondition(order.size() == size());
    keys_._permute(order);
    values_ = detail::arranged(values_, order);
}

template <class Key, class Value>
void OrderedDictionary<Key, Value>::swapAt(std::ptrdiff_t i, std::ptrdiff_t j)
{
    keys_.swapAt(i, j);
    using std::swap;
    swap(values_[static_cast<std::size_t>(i)], values_[static_cast<std::size_t>(j)]);
}

template <class Key, class Value>
void OrderedDictionary<Key, Value>::reverse()
{
    keys_.reverse();
    std::reverse(values_.begin(), values_.end());
}

// Pairs for which the predicate holds go last; returns the first of them.
template <class Key, class Value>
template <class Predicate>
std::ptrdiff_t OrderedDictionary<Key, Value>::partition(Predicate&& belongsInSecondPartition)
{
    return keys_._partition(std::span<Value>(values_), [&](const Key& key, const Value& value) {
        return std::invoke(belongsInSecondPartition, ConstElement{key, value});
    });
}

template <class Key, class Value>
template <class Less>
void OrderedDictionary<Key, Value>::sort(Less&& areInIncreasingOrder)
{
    const auto order = detail::sortedPositions(count(), [&](std::ptrdiff_t a, std::ptrdiff_t b) {
        const auto i = static_cast<std::size_t>(a), j = static_cast<std::size_t>(b);
        return static_cast<bool>(
            std::invoke(areInIncreasingOrder, ConstElement{keys_[a], values_[i]}, ConstElement{keys_[b], values_[j]}));
    });
    permute(order);
}

template <class Key, class Value>
void OrderedDictionary<Key, Value>::sort()
{
    sort([](const ConstElement& a, const ConstElement& b) { return a.key < b.key; });
}

template <class Key, class Value>
template <class Generator>
void OrderedDictionary<Key, Value>::shuffle(Generator&& generator)
{
    permute(detail::shuffledPositions(count(), generator));
}

template <class Key, class Value>
void OrderedDictionary<Key, Value>::shuffle()
{
    shuffle(InternalCollectionsUtilities::systemRandomGenerator());
}

template <class Key, class Value>
void OrderedDictionary<Key, Value>::removeAll(bool keepingCapacity)
{
    keys_.removeAll(keepingCapacity);
    if (keepingCapacity)
        values_.clear();
    else
        values_ = {};
}

template <class Key, class Value>
KeyValue<Key, Value> OrderedDictionary<Key, Value>::remove(std::ptrdiff_t at)
{
    Key key = keys_.remove(at);
    Value value = std::move(values_[static_cast<std::size_t>(at)]);
    values_.erase(values_.begin() + at);
    return {std::move(key), std::move(value)};
}

template <class Key, class Value>
void OrderedDictionary<Key, Value>::removeSubrange(OffsetRange range)
{
    keys_.removeSubrange(range.lowerBound, range.upperBound);
    values_.erase(values_.begin() + range.lowerBound, values_.begin() + range.upperBound);
}

template <class Key, class Value>
KeyValue<Key, Value> OrderedDictionary<Key, Value>::removeFirst()
{
    InternalCollectionsUtilities::precondition(!isEmpty());
    return remove(0);
}

template <class Key, class Value>
KeyValue<Key, Value> OrderedDictionary<Key, Value>::removeLast()
{
    InternalCollectionsUtilities::precondition(!isEmpty());
    Key key = keys_.removeLast();
    Value value = std::move(values_.back());
    values_.pop_back();
    return {std::move(key), std::move(value)};
}

template <class Key, class Value>
void OrderedDictionary<Key, Value>::removeFirst(std::ptrdiff_t k)
{
    InternalCollectionsUtilities::precondition(k >= 0 && k <= count());
    removeSubrange({0, k});
}

template <class Key, class Value>
void OrderedDictionary<Key, Value>::removeLast(std::ptrdiff_t k)
{
    InternalCollectionsUtilities::precondition(k >= 0 && k <= count());
    removeSubrange({count() - k, count()});
}

// The pairs that stay keep their order; a throwing predicate removes nothing.
template <class Key, class Value>
template <class Predicate>
requires std::invocable<Predicate&, KeyValuePair<Key, const Value>>
void OrderedDictionary<Key, Value>::removeAll(Predicate&& shouldBeRemoved)
{
    const std::ptrdiff_t start =
        keys_._halfStablePartition(std::span<Value>(values_), [&](const Key& key, const Value& value) {
            return std::invoke(shouldBeRemoved, ConstElement{key, value});
        });
    removeSubrange({start, count()});
}

} // namespace OrderedCollections
