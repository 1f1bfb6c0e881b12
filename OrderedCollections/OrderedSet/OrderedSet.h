#pragma once

// A collection of distinct elements in the order they were added, with
// positions 0 ..< count and hashed lookup. Up to 15 elements are searched
// linearly; larger sets keep a compact hash index of element offsets beside
// the element array. A copy copies both; a move is O(1).

#include "InternalCollectionsUtilities/BitSet/TemporaryBitSet.h"
#include "InternalCollectionsUtilities/Descriptions.h"
#include "InternalCollectionsUtilities/Fatal.h"
#include "OrderedCollections/HashTable/Maintenance.h"
#include "OrderedCollections/OffsetRange.h"

#include <algorithm>
#include <cstddef>
#include <functional>
#include <initializer_list>
#include <iterator>
#include <optional>
#include <ostream>
#include <ranges>
#include <span>
#include <string>
#include <unordered_set>
#include <utility>
#include <vector>

namespace OrderedCollections {

template <class Element>
class OrderedSetSlice;
template <class Element>
class OrderedSetUnorderedView;

// A range whose elements the set can take and look up.
template <class Range, class Element>
concept ElementRange =
    std::ranges::input_range<Range> && std::convertible_to<std::ranges::range_reference_t<Range>, Element>;

template <class Element>
class OrderedSet : public OffsetIndexing {
public:
    using value_type = Element;
    using const_iterator = typename std::vector<Element>::const_iterator;
    using iterator = const_iterator;
    using size_type = std::size_t;
    using difference_type = std::ptrdiff_t;
    // A view of a range of positions; it must not outlive the set.
    using SubSequence = OrderedSetSlice<Element>;
    using UnorderedView = OrderedSetUnorderedView<Element>;

    // What an insertion did: whether it added the item, and the item's position.
    struct InsertResult {
        bool inserted;
        std::ptrdiff_t index;
        friend bool operator==(const InsertResult&, const InsertResult&) = default;
    };
    struct UpdateResult {
        std::optional<Element> originalMember;
        std::ptrdiff_t index;
    };

    OrderedSet() = default;

    // Duplicates are dropped; the first occurrence keeps its place.
    explicit OrderedSet(std::vector<Element> elements)
    {
        auto [table, end] = detail::createUntilFirstDuplicate(std::span<const Element>(elements), std::nullopt, 0);
        if (end == static_cast<std::ptrdiff_t>(elements.size())) {
            elements_ = std::move(elements);
            table_ = std::move(table);
            return;
        }
        std::vector<Element> rest(std::make_move_iterator(elements.begin() + end),
                                  std::make_move_iterator(elements.end()));
        elements.erase(elements.begin() + end, elements.end());
        elements_ = std::move(elements);
        table_ = std::move(table);
        appendContentsOf(std::move(rest));
    }
    OrderedSet(std::initializer_list<Element> literal) : OrderedSet(std::vector<Element>(literal)) {}

    template <std::ranges::input_range Range>
    requires std::convertible_to<std::ranges::range_reference_t<Range>, Element> &&
        (!std::same_as<std::remove_cvref_t<Range>, OrderedSet>)&&(
            !std::same_as<std::remove_cvref_t<Range>, std::vector<Element>>)explicit OrderedSet(Range&& range)
        : OrderedSet(std::vector<Element>(std::ranges::begin(range), std::ranges::end(range)))
    {
    }

    // A standard set's elements are distinct already: no test, in its iteration order.
    template <class Hash, class Equal, class Allocator>
    explicit OrderedSet(const std::unordered_set<Element, Hash, Equal, Allocator>& set)
        : OrderedSet(uncheckedUniqueElements(std::vector<Element>(set.begin(), set.end())))
    {
    }

    // An empty set with room for `minimumCapacity` elements; a persistent
    // reservation keeps the table from shrinking below it.
    static OrderedSet withMinimumCapacity(std::ptrdiff_t minimumCapacity, bool persistent = false)
    {
        OrderedSet set;
        set._reserveCapacity(minimumCapacity, persistent);
        return set;
    }

    // The caller guarantees that the elements are distinct; nothing checks it.
    static OrderedSet uncheckedUniqueElements(std::vector<Element> elements)
    {
        auto table = detail::createUncheckedUniqueElements(std::span<const Element>(elements), std::nullopt, 0);
        return _init(std::move(elements), std::move(table));
    }

    // Exactly these parts; the caller guarantees that they agree.
    static OrderedSet _init(std::vector<Element> uniqueElements, std::optional<detail::HashTable> table)
    {
        OrderedSet set;
        set.elements_ = std::move(uniqueElements);
        set.table_ = std::move(table);
        return set;
    }

    OrderedSet(const OrderedSet&) = default;
    OrderedSet& operator=(const OrderedSet&) = default;
    OrderedSet(OrderedSet&& other) noexcept
        : table_(std::exchange(other.table_, std::nullopt)), elements_(std::exchange(other.elements_, {}))
    {
    }
    OrderedSet& operator=(OrderedSet&& other) noexcept
    {
        table_ = std::exchange(other.table_, std::nullopt);
        elements_ = std::exchange(other.elements_, {});
        return *this;
    }

    // Access.

    std::ptrdiff_t count() const { return static_cast<std::ptrdiff_t>(elements_.size()); }
    std::size_t size() const { return elements_.size(); }
    bool isEmpty() const { return elements_.empty(); }
    bool empty() const { return elements_.empty(); }
    const Element& operator[](std::ptrdiff_t position) const
    {
        detail::precondition(position >= 0 && position < count());
        return elements_[static_cast<std::size_t>(position)];
    }
    const_iterator begin() const { return elements_.begin(); }
    const_iterator end() const { return elements_.end(); }

    std::ptrdiff_t startIndex() const { return 0; }
    std::ptrdiff_t endIndex() const { return count(); }
    OffsetRange indices() const { return {0, count()}; }
    // The range must lie within 0 ... count (defined in OrderedSetSlice.h).
    SubSequence operator[](OffsetRange range) const;

    const std::vector<Element>& elements() const { return elements_; }
    // Rebuilds the set from the array, keeping first occurrences.
    void setElements(std::vector<Element> elements) { *this = OrderedSet(std::move(elements)); }

    bool contains(const Element& item) const { return _find(item).index.has_value(); }
    std::optional<std::ptrdiff_t> firstIndex(const Element& item) const { return _find(item).index; }
    std::optional<std::ptrdiff_t> lastIndex(const Element& item) const { return _find(item).index; }

    // Lookup: with a table, the offset and its bucket or the bucket where the item
    // would go; without one, a linear search (the bucket then means nothing).
    detail::FindResult _find(const Element& item) const
    {
        if (table_)
            return detail::_find(table_->handle(), item, std::span<const Element>(elements_));
        for (std::size_t i = 0; i < elements_.size(); ++i)
            if (elements_[i] == item)
                return {static_cast<std::ptrdiff_t>(i), detail::Bucket{}};
        return {std::nullopt, detail::Bucket{}};
    }

    // The bucket that holds `offset`; the element there must be in the table.
    detail::Bucket _bucket(std::ptrdiff_t offset) const
    {
        if (!table_)
            return {};
        const auto handle = table_->handle();
        detail::BucketIterator it(handle, detail::idealBucket(handle, (*this)[offset]));
        it.advanceUntil(offset);
        detail::precondition(it.isOccupied());
        return it.currentBucket();
    }

    // Core operations on members known to be absent or present.

    // Appends an absent item whose probe ended at `bucket`.
    void _appendNew(Element item, detail::Bucket bucket)
    {
        elements_.push_back(std::move(item));
        if (_capacity() < count()) {
            _regenerateHashTable();
            return;
        }
        if (table_)
            table_->handle().set(bucket, count() - 1);
    }

    void _appendNew(Element item)
    {
        elements_.push_back(std::move(item));
        if (_capacity() < count()) {
            _regenerateHashTable();
            return;
        }
        if (table_) {
            const auto handle = table_->handle();
            detail::BucketIterator it(handle, detail::idealBucket(handle, elements_.back()));
            it.advanceToNextUnoccupiedBucket();
            it.setCurrentValue(count() - 1);
        }
    }

    // Inserts an absent item at `offset` (0 ... count), its probe having ended at `bucket`.
    void _insertNew(Element item, std::ptrdiff_t offset, detail::Bucket bucket)
    {
        detail::precondition(offset >= 0 && offset <= count());
        if (count() < _capacity()) {
            if (table_) {
                const auto handle = table_->handle();
                detail::adjustContentsForInsertion(handle, offset, std::span<const Element>(elements_));
                handle.set(bucket, offset);
            }
            elements_.insert(elements_.begin() + offset, std::move(item));
            return;
        }
        elements_.insert(elements_.begin() + offset, std::move(item));
        _regenerateHashTable();
    }

    // Removes the member at `offset`, whose bucket is `bucket`, and returns it.
    Element _removeExistingMember(std::ptrdiff_t offset, detail::Bucket bucket)
    {
        detail::precondition(offset >= 0 && offset < count());
        const auto position = elements_.begin() + offset;
        if (count() - 1 < _minimumCapacity()) {
            Element removed = std::move(*position);
            elements_.erase(position);
            _regenerateHashTable();
            return removed;
        }
        if (table_) {
            const auto handle = table_->handle();
            detail::deleteBucket(handle, bucket, hashOfElementAt());
            detail::adjustContentsForRemoval(handle, offset, offset + 1, std::span<const Element>(elements_));
        }
        Element removed = std::move(*position);
        elements_.erase(position);
        return removed;
    }

    // Rebuilds the table for the current elements, or drops it.
    void _regenerateHashTable()
    {
        const int reserved = _reservedScale();
        if (count() > detail::HashTable::maximumUnhashedCount || reserved != 0)
            _regenerateHashTable(detail::HashTable::scaleForCapacity(count()), reserved);
        else
            table_.reset();
    }
    // A new table (new seed) of the given size; none below the minimum scale.
    void _regenerateHashTable(int scale, int reservedScale)
    {
        table_ = detail::createUncheckedUniqueElements(std::span<const Element>(elements_),
                                                       std::max(scale, reservedScale), reservedScale);
    }
    // Refills the same table (same size, seed and bias) after the elements were permuted.
    void _regenerateExistingHashTable()
    {
        if (!table_)
            return;
        const auto handle = table_->handle();
        handle.clear();
        detail::fillUncheckedUniqueElements(handle, std::span<const Element>(elements_));
    }

    // Makes room for `minimumCapacity` elements; `persistent` sets or clears the reserved scale.
    void _reserveCapacity(std::ptrdiff_t minimumCapacity, bool persistent)
    {
        detail::precondition(minimumCapacity >= 0);
        elements_.reserve(static_cast<std::size_t>(minimumCapacity));
        const int current = _scale();
        const int wanted = detail::HashTable::scaleForCapacity(minimumCapacity);
        const int reserved = persistent ? wanted : _reservedScale();
        if (current < wanted) {
            _regenerateHashTable(wanted, reserved);
            return;
        }
        const int required = std::max({detail::HashTable::scaleForCapacity(count()), wanted, reserved});
        if (required < current) {
            _regenerateHashTable(required, reserved);
            return;
        }
        if (table_ && reserved != table_->reservedScale())
            table_->handle().setReservedScale(reserved);
    }
    void reserveCapacity(std::ptrdiff_t minimumCapacity) { _reserveCapacity(minimumCapacity, false); }

    // The elements for which the predicate holds, in order. A throwing predicate
    // leaves nothing behind.
    template <class Predicate>
    OrderedSet filter(Predicate&& isIncluded) const
    {
        return InternalCollectionsUtilities::detail::withTemporaryBitSet(
            count(), [&](InternalCollectionsUtilities::detail::UnsafeBitSet& bits) {
                for (std::size_t i = 0; i < elements_.size(); ++i)
                    if (std::invoke(isIncluded, elements_[i]))
                        bits.insert(i);
                return _extractSubset(bits, std::nullopt, 0);
            });
    }

    // The elements at the marked positions, in order.
    OrderedSet _extractSubset(const InternalCollectionsUtilities::detail::UnsafeBitSet& bits,
                              std::optional<std::ptrdiff_t> markedCount, std::ptrdiff_t extraCapacity) const
    {
        const std::ptrdiff_t marked = markedCount.value_or(bits.count());
        if (marked == 0)
            return withMinimumCapacity(extraCapacity);
        if (marked == count()) {
            OrderedSet all = *this;
            if (_capacity() - count() < extraCapacity)
                all.reserveCapacity(count() + extraCapacity);
            return all;
        }
        OrderedSet subset = withMinimumCapacity(marked + extraCapacity);
        for (std::uint64_t position : bits)
            subset._appendNew(elements_[position]);
        return subset;
    }

    // Insertion (defined in OrderedSetInsertion.h).

    // Appends the item when absent; otherwise reports where it is.
    InsertResult _append(Element item);
    InsertResult append(Element item) { return _append(std::move(item)); }
    // Skips elements already present, including those met earlier in the range.
    template <std::ranges::input_range Range>
    void appendContentsOf(Range&& range);
    // Inserts the item at `position` (0 ... count) when absent; a present item
    // stays where it is, whatever the position.
    InsertResult insert(Element item, std::ptrdiff_t position);
    // Replaces the element at `position` by an equal one and returns the old one.
    Element update(Element item, std::ptrdiff_t position);
    // An equal element present is replaced and returned; otherwise the item is added.
    std::optional<Element> updateOrAppend(Element item);
    UpdateResult updateOrInsert(Element item, std::ptrdiff_t position);

    // Reordering and removal (defined in OrderedSetReordering.h). Keys move
    // together with a parallel span of values in the partitions, so that the
    // dictionary can reorder its pairs through its key set.

    void swapAt(std::ptrdiff_t i, std::ptrdiff_t j);
    void reverse();
    // Elements for which the predicate holds go last; returns the first of them.
    template <class Predicate>
    std::ptrdiff_t partition(Predicate&& belongsInSecondPartition);
    // The same, telling `exchanged` the two positions of every exchange.
    template <class Predicate, class Callback>
    requires std::predicate<Predicate&, const Element&> std::ptrdiff_t _partition(Predicate&& belongsInSecondPartition,
                                                                                  Callback&& exchanged);
    template <class Value, class Predicate>
    std::ptrdiff_t _partition(std::span<Value> values, Predicate&& belongsInSecondPartition);
    template <class Value, class Predicate>
    std::ptrdiff_t _halfStablePartition(std::span<Value> values, Predicate&& belongsInSecondPartition);

    // A throwing ordering or generator leaves the order as it was.
    void sort();
    template <class Less>
    void sort(Less&& areInIncreasingOrder);
    void shuffle();
    template <class Generator>
    void shuffle(Generator&& generator);
    // Puts the element at order[i] at offset i and refills the index in place.
    void _permute(const std::vector<std::ptrdiff_t>& order);

    void removeAll(bool keepingCapacity = false);
    // The rest keep their order; a throwing predicate removes nothing.
    template <class Predicate>
    requires std::predicate<Predicate&, const Element&>
    void removeAll(Predicate&& shouldBeRemoved);
    Element remove(std::ptrdiff_t at);
    void removeSubrange(std::ptrdiff_t lower, std::ptrdiff_t upper);
    Element removeFirst();
    Element removeLast();
    void removeFirst(std::ptrdiff_t k);
    void removeLast(std::ptrdiff_t k);

    // Set algebra (defined in OrderedSetAlgebra.h and OrderedSetRelations.h).
    // The operand is another ordered set, its unordered view or slice, a
    // standard set, the keys of a standard map, or any range of elements, read
    // once and only as far as the answer needs. Results keep this set's order,
    // followed by the operand's new elements in its order.

    // Removes an equal element and returns the stored one. (A positional
    // `remove` exists, so an element overload would be ambiguous for integers.)
    std::optional<Element> removeMember(const Element& item);
    // `union` is a keyword.
    template <ElementRange<Element> Other>
    OrderedSet union_(Other&& other) const;
    template <ElementRange<Element> Other>
    OrderedSet appending(Other&& other) const;
    template <ElementRange<Element> Other>
    void formUnion(Other&& other);
    template <ElementRange<Element> Other>
    OrderedSet intersection(Other&& other) const;
    template <ElementRange<Element> Other>
    void formIntersection(Other&& other);
    template <ElementRange<Element> Other>
    OrderedSet subtracting(Other&& other) const;
    template <ElementRange<Element> Other>
    void subtract(Other&& other);
    template <ElementRange<Element> Other>
    OrderedSet symmetricDifference(Other&& other) const;
    template <ElementRange<Element> Other>
    void formSymmetricDifference(Other&& other);

    template <ElementRange<Element> Other>
    bool isSubset(Other&& other) const;
    template <ElementRange<Element> Other>
    bool isSuperset(Other&& other) const;
    template <ElementRange<Element> Other>
    bool isStrictSubset(Other&& other) const;
    template <ElementRange<Element> Other>
    bool isStrictSuperset(Other&& other) const;
    template <ElementRange<Element> Other>
    bool isDisjoint(Other&& other) const;
    template <ElementRange<Element> Other>
    bool isEqualSet(Other&& other) const;

    // The set seen as a plain set (defined in OrderedSetUnorderedView.h): a
    // copy, or this set lent to `body` and moved back afterwards, also when
    // the body throws.
    UnorderedView unordered() const;
    template <class Body>
    decltype(auto) withUnordered(Body&& body);

    // The index's state, for tests (defined in OrderedSetTestingHooks.h).

    class UnstableInternals;
    UnstableInternals unstable() const;
    // A set with exactly this index size and bias; other geometries stop the program.
    static OrderedSet withExactGeometry(int scale, std::ptrdiff_t bias, std::vector<Element> contents);

    const std::optional<detail::HashTable>& _table() const { return table_; }
    std::ptrdiff_t _capacity() const { return table_ ? table_->capacity() : detail::HashTable::maximumUnhashedCount; }
    std::ptrdiff_t _minimumCapacity() const { return table_ ? table_->minimumCapacity() : 0; }
    int _scale() const { return table_ ? table_->scale() : 0; }
    int _reservedScale() const { return table_ ? table_->reservedScale() : 0; }
    std::ptrdiff_t _bias() const { return table_ ? table_->bias() : 0; }

    // Values: the same elements in the same order.

    friend bool operator==(const OrderedSet& a, const OrderedSet& b) { return a.elements_ == b.elements_; }

    friend std::int64_t seededHash(const OrderedSet& set, std::int64_t seed)
    {
        return seededHashOfSequence(set.elements_, seed);
    }

    std::string description() const { return InternalCollectionsUtilities::_arrayDescription(elements_); }
    friend std::ostream& operator<<(std::ostream& out, const OrderedSet& set) { return out << set.description(); }
    friend void PrintTo(const OrderedSet& set, std::ostream* out) { *out << set.description(); }

private:
    // Exchanges two elements and their stored offsets.
    void swapElements(std::ptrdiff_t i, std::ptrdiff_t j);
    // The partitions' predicate on the pair (element, value) at an offset.
    template <class Value, class Predicate>
    auto predicateAtOffset(std::span<Value> values, Predicate& predicate) const;
    // How the table hashes the element at an offset, for its deletions.
    auto hashOfElementAt() const
    {
        return [this](std::ptrdiff_t offset, std::int64_t seed) {
            return seededHash(elements_[static_cast<std::size_t>(offset)], seed);
        };
    }

    std::optional<detail::HashTable> table_;
    std::vector<Element> elements_;
};

} // namespace OrderedCollections

template <class Element>
struct std::hash<OrderedCollections::OrderedSet<Element>> {
    std::size_t operator()(const OrderedCollections::OrderedSet<Element>& set) const
    {
        return static_cast<std::size_t>(OrderedCollections::hashValue(set));
    }
};

#include "OrderedCollections/OrderedSet/OrderedSetAlgebra.h"
#include "OrderedCollections/OrderedSet/OrderedSetInsertion.h"
#include "OrderedCollections/OrderedSet/OrderedSetOperands.h"
#include "OrderedCollections/OrderedSet/OrderedSetRelations.h"
#include "OrderedCollections/OrderedSet/OrderedSetReordering.h"
#include "OrderedCollections/OrderedSet/OrderedSetSlice.h"
#include "OrderedCollections/OrderedSet/OrderedSetTestingHooks.h"
#include "OrderedCollections/OrderedSet/OrderedSetUnorderedView.h"
