#pragma once

// Reordering and removal by position for the ordered dictionary. The key set
// keeps its index in step; the values follow the same permutation or removal.
// Sorting and shuffling work on a permutation first, so a throwing ordering
// leaves the dictionary as it was, and then rebuild the key set in one pass.

#include "InternalCollectionsUtilities/Fatal.h"
#include "InternalCollectionsUtilities/RandomDraw.h"
#include "OrderedCollections/OrderedDictionary/OrderedDictionary.h"

#include <algorithm>
#include <functional>
#include <numeric>
#include <utility>
#include <vector>

namespace OrderedCollections {

namespace detail {

// A stable merge sort of positions that stays within bounds whatever the
// ordering answers, and leaves `positions` untouched when it throws.
template <class Less>
std::vector<std::ptrdiff_t> sortedPositions(std::ptrdiff_t count, Less&& less)
{
    std::vector<std::ptrdiff_t> positions(static_cast<std::size_t>(count));
    std::iota(positions.begin(), positions.end(), 0);
    std::vector<std::ptrdiff_t> merged(positions.size());
    for (std::size_t width = 1; width < positions.size(); width *= 2) {
        for (std::size_t start = 0; start < positions.size(); start += 2 * width) {
            const std::size_t middle = std::min(start + width, positions.size());
            const std::size_t end = std::min(start + 2 * width, positions.size());
            std::size_t left = start, right = middle, out = start;
            while (left < middle && right < end)
                merged[out++] = less(positions[right], positions[left]) ? positions[right++] : positions[left++];
            while (left < middle)
                merged[out++] = positions[left++];
            while (right < end)
                merged[out++] = positions[right++];
        }
        positions.swap(merged);
    }
    return positions;
}

} // namespace detail

template <class Key, class Value>
void OrderedDictionary<Key, Value>::permute(const std::vector<std::ptrdiff_t>& order)
{
    InternalCollectionsUtilities::precondition(order.size() == size());
    std::vector<Key> keys;
    std::vector<Value> values;
    keys.reserve(order.size());
    values.reserve(order.size());
    for (const std::ptrdiff_t position : order) {
        keys.push_back(keys_[position]);
        values.push_back(std::move(values_[static_cast<std::size_t>(position)]));
    }
    keys_ = OrderedSet<Key>::uncheckedUniqueElements(std::move(keys));
    values_ = std::move(values);
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

// A forward Fisher-Yates shuffle, one draw per position but the last. The
// draws shuffle positions first, so a throwing generator loses nothing.
template <class Key, class Value>
template <class Generator>
void OrderedDictionary<Key, Value>::shuffle(Generator&& generator)
{
    if (count() < 2)
        return;
    std::vector<std::ptrdiff_t> order(size());
    std::iota(order.begin(), order.end(), 0);
    for (std::size_t i = 0, n = order.size(); n > 1; ++i, --n) {
        const auto r = static_cast<std::size_t>(InternalCollectionsUtilities::boundedDraw(generator, n));
        std::swap(order[i], order[i + r]);
    }
    permute(order);
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
