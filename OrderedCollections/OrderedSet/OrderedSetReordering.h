#pragma once

// Reordering and removal for the ordered set: exchanges and partitions move
// two stored offsets each, sorting and shuffling refill the index in place,
// reversing rebuilds it, and removals either shift the offsets on the shorter
// side or rebuild when much goes.

#include "InternalCollectionsUtilities/RandomDraw.h"
#include "OrderedCollections/OrderedSet/OrderedSet.h"
#include "OrderedCollections/OrderedSet/Permutations.h"

#include <algorithm>
#include <utility>

namespace OrderedCollections {

template <class Element>
void OrderedSet<Element>::swapElements(std::ptrdiff_t i, std::ptrdiff_t j)
{
    using std::swap;
    swap(elements_[static_cast<std::size_t>(i)], elements_[static_cast<std::size_t>(j)]);
    if (table_)
        detail::swapBucketValues(table_->handle(), elements_[static_cast<std::size_t>(i)], j,
                                 elements_[static_cast<std::size_t>(j)], i);
}

template <class Element>
template <class Value, class Predicate>
auto OrderedSet<Element>::predicateAtOffset(std::span<Value> values, Predicate& predicate) const
{
    detail::precondition(values.size() == elements_.size());
    return [this, values, &predicate](std::ptrdiff_t i) {
        return static_cast<bool>(
            std::invoke(predicate, elements_[static_cast<std::size_t>(i)], values[static_cast<std::size_t>(i)]));
    };
}

template <class Element>
void OrderedSet<Element>::swapAt(std::ptrdiff_t i, std::ptrdiff_t j)
{
    detail::precondition(i >= 0 && i < count() && j >= 0 && j < count());
    if (i != j)
        swapElements(i, j);
}

template <class Element>
void OrderedSet<Element>::reverse()
{
    std::reverse(elements_.begin(), elements_.end());
    _regenerateHashTable();
}

namespace detail {

// Moves the offsets for which `holds` is true after the others, exchanging
// through `exchange`; returns the first of them.
template <class Holds, class Exchange>
std::ptrdiff_t partitionOffsets(std::ptrdiff_t count, Holds&& holds, Exchange&& exchange)
{
    std::ptrdiff_t lo = 0, hi = count;
    while (true) {
        while (lo < hi && !holds(lo))
            ++lo;
        if (lo == hi)
            return lo;
        std::ptrdiff_t j = hi - 1;
        while (j > lo && holds(j))
            --j;
        if (j == lo)
            return lo;
        exchange(lo, j);
        ++lo;
        hi = j;
    }
}

} // namespace detail

// An error from the predicate leaves every exchange made so far, with the
// index in step.
template <class Element>
template <class Predicate, class Callback>
requires std::predicate<Predicate&, const Element&> std::ptrdiff_t
OrderedSet<Element>::_partition(Predicate&& belongsInSecondPartition, Callback&& exchanged)
{
    return detail::partitionOffsets(
        count(),
        [&](std::ptrdiff_t i) {
            return static_cast<bool>(std::invoke(belongsInSecondPartition, elements_[static_cast<std::size_t>(i)]));
        },
        [&](std::ptrdiff_t i, std::ptrdiff_t j) {
            swapElements(i, j);
            std::invoke(exchanged, i, j);
        });
}

template <class Element>
template <class Predicate>
std::ptrdiff_t OrderedSet<Element>::partition(Predicate&& belongsInSecondPartition)
{
    return _partition(belongsInSecondPartition, [](std::ptrdiff_t, std::ptrdiff_t) {});
}

// The same over keys and a parallel span of values.
template <class Element>
template <class Value, class Predicate>
std::ptrdiff_t OrderedSet<Element>::_partition(std::span<Value> values, Predicate&& belongsInSecondPartition)
{
    return detail::partitionOffsets(count(), predicateAtOffset(values, belongsInSecondPartition),
                                    [&](std::ptrdiff_t i, std::ptrdiff_t j) {
                                        swapElements(i, j);
                                        using std::swap;
                                        swap(values[static_cast<std::size_t>(i)], values[static_cast<std::size_t>(j)]);
                                    });
}

// The same, keeping the pairs for which the predicate is false in their order.
template <class Element>
template <class Value, class Predicate>
std::ptrdiff_t OrderedSet<Element>::_halfStablePartition(std::span<Value> values, Predicate&& belongsInSecondPartition)
{
    const auto holds = predicateAtOffset(values, belongsInSecondPartition);
    std::ptrdiff_t p = 0;
    while (p < count() && !holds(p))
        ++p;
    for (std::ptrdiff_t i = p + 1; i < count(); ++i) {
        if (holds(i))
            continue;
        swapElements(p, i);
        using std::swap;
        swap(values[static_cast<std::size_t>(p)], values[static_cast<std::size_t>(i)]);
        ++p;
    }
    return p;
}

template <class Element>
void OrderedSet<Element>::_permute(const std::vector<std::ptrdiff_t>& order)
{
    detail::precondition(order.size() == elements_.size());
    elements_ = detail::arranged(elements_, order);
    _regenerateExistingHashTable();
}

template <class Element>
template <class Less>
void OrderedSet<Element>::sort(Less&& areInIncreasingOrder)
{
    _permute(detail::sortedPositions(count(), [&](std::ptrdiff_t a, std::ptrdiff_t b) {
        return static_cast<bool>(std::invoke(areInIncreasingOrder, elements_[static_cast<std::size_t>(a)],
                                             elements_[static_cast<std::size_t>(b)]));
    }));
}

template <class Element>
void OrderedSet<Element>::sort()
{
    sort(std::less<>());
}

template <class Element>
template <class Generator>
void OrderedSet<Element>::shuffle(Generator&& generator)
{
    _permute(detail::shuffledPositions(count(), generator));
}

template <class Element>
void OrderedSet<Element>::shuffle()
{
    shuffle(InternalCollectionsUtilities::systemRandomGenerator());
}

// Keeping capacity keeps the table's size, seed, reserved scale and bias too.
template <class Element>
void OrderedSet<Element>::removeAll(bool keepingCapacity)
{
    if (!keepingCapacity) {
        elements_ = {};
        table_.reset();
        return;
    }
    elements_.clear();
    if (table_)
        table_->handle().clear();
}

template <class Element>
Element OrderedSet<Element>::remove(std::ptrdiff_t at)
{
    return _removeExistingMember(at, _bucket(at));
}

template <class Element>
void OrderedSet<Element>::removeSubrange(std::ptrdiff_t lower, std::ptrdiff_t upper)
{
    detail::precondition(lower >= 0 && lower <= upper && upper <= count());
    const std::ptrdiff_t n = upper - lower;
    const auto erase = [&] { elements_.erase(elements_.begin() + lower, elements_.begin() + upper); };
    if (!table_) {
        erase();
        return;
    }
    if (n == 0)
        return;
    if (count() - n <= count() / 2 || count() - n < _minimumCapacity()) {
        erase();
        _regenerateHashTable();
        return;
    }
    const auto handle = table_->handle();
    for (std::ptrdiff_t k = lower; k < upper; ++k)
        detail::deleteBucket(handle, _find(elements_[static_cast<std::size_t>(k)]).bucket, hashOfElementAt());
    detail::adjustContentsForRemoval(handle, lower, upper, std::span<const Element>(elements_));
    erase();
}

// The predicate sees every element before any moves, so a throw leaves the set whole.
template <class Element>
template <class Predicate>
requires std::predicate<Predicate&, const Element&>
void OrderedSet<Element>::removeAll(Predicate&& shouldBeRemoved)
{
    const bool removedAny = InternalCollectionsUtilities::detail::withTemporaryBitSet(
        count(), [&](InternalCollectionsUtilities::detail::UnsafeBitSet& removed) {
            for (std::size_t i = 0; i < elements_.size(); ++i)
                if (std::invoke(shouldBeRemoved, std::as_const(elements_[i])))
                    removed.insert(i);
            if (removed.isEmpty())
                return false;
            std::size_t kept = 0;
            for (std::size_t i = 0; i < elements_.size(); ++i)
                if (!removed.contains(i))
                    elements_[kept++] = std::move(elements_[i]);
            elements_.erase(elements_.begin() + static_cast<std::ptrdiff_t>(kept), elements_.end());
            return true;
        });
    if (removedAny)
        _regenerateHashTable();
}

template <class Element>
Element OrderedSet<Element>::removeFirst()
{
    detail::precondition(!isEmpty());
    return remove(0);
}

// Only the last offset leaves the table; no other offset changes.
template <class Element>
Element OrderedSet<Element>::removeLast()
{
    detail::precondition(!isEmpty());
    if (table_ && count() - 1 >= _minimumCapacity())
        detail::deleteBucket(table_->handle(), _bucket(count() - 1), hashOfElementAt());
    Element last = std::move(elements_.back());
    elements_.pop_back();
    if (table_ && count() < _minimumCapacity())
        _regenerateHashTable();
    return last;
}

template <class Element>
void OrderedSet<Element>::removeFirst(std::ptrdiff_t k)
{
    detail::precondition(k >= 0 && k <= count());
    removeSubrange(0, k);
}

template <class Element>
void OrderedSet<Element>::removeLast(std::ptrdiff_t k)
{
    detail::precondition(k >= 0 && k <= count());
    removeSubrange(count() - k, count());
}

} // namespace OrderedCollections
