#pragma once

// A dictionary that keeps its pairs in the order in which their keys were
// first inserted, and also behaves like an array of pairs at offsets 0 ..< count.
// The keys are an ordered set, whose hash index finds a key's offset; the
// values sit in a parallel array at the same offsets. A copy copies both; a
// move is O(1). Every keyed operation hashes its key once: the bucket that the
// lookup found is handed on to the insertion or removal.

#include "InternalCollectionsUtilities/Descriptions.h"
#include "InternalCollectionsUtilities/Fatal.h"
#include "OrderedCollections/OrderedDictionary/Elements.h"
#include "OrderedCollections/OrderedDictionary/KeyValuePair.h"
#include "OrderedCollections/OrderedDictionary/Values.h"
#include "OrderedCollections/OrderedSet/OrderedSet.h"

#include <concepts>
#include <functional>
#include <initializer_list>
#include <optional>
#include <ostream>
#include <ranges>
#include <span>
#include <string>
#include <type_traits>
#include <unordered_map>
#include <utility>
#include <vector>

namespace OrderedCollections {

template <class Key, class Value>
class OrderedDictionary {
public:
    using Element = KeyValuePair<Key, Value>;
    using ConstElement = KeyValuePair<Key, const Value>;

    struct UpdateResult {
        std::optional<Value> originalMember;
        std::ptrdiff_t index;
    };

    OrderedDictionary() = default;

    // A literal: the keys must not repeat.
    OrderedDictionary(std::initializer_list<std::pair<Key, Value>> literal) { *this = uniqueKeysWithValues(literal); }

    OrderedDictionary(const OrderedDictionary&) = default;
    OrderedDictionary& operator=(const OrderedDictionary&) = default;
    OrderedDictionary(OrderedDictionary&& other) noexcept
        : keys_(std::move(other.keys_)), values_(std::exchange(other.values_, {}))
    {
    }
    OrderedDictionary& operator=(OrderedDictionary&& other) noexcept
    {
        keys_ = std::move(other.keys_);
        values_ = std::exchange(other.values_, {});
        return *this;
    }

    // Construction (defined in Construction.h).

    static OrderedDictionary withMinimumCapacity(std::ptrdiff_t minimumCapacity, bool persistent = false);
    // Pairs whose keys must be unique: a repeated key stops the program.
    template <std::ranges::input_range Pairs>
    static OrderedDictionary uniqueKeysWithValues(Pairs&& pairs);
    // A standard hash map's keys are unique already: its pairs in its iteration order, unchecked.
    template <class Hash, class Equal, class Allocator>
    static OrderedDictionary uniqueKeysWithValues(const std::unordered_map<Key, Value, Hash, Equal, Allocator>& map);
    // The caller guarantees that the keys are unique; nothing checks it.
    template <std::ranges::input_range Pairs>
    static OrderedDictionary uncheckedUniqueKeysWithValues(Pairs&& pairs);
    // Keys and values at the same positions; unequal counts or a repeated key stop the program.
    static OrderedDictionary uniqueKeys(std::vector<Key> keys, std::vector<Value> values);
    static OrderedDictionary uncheckedUniqueKeys(std::vector<Key> keys, std::vector<Value> values);
    // Both parts as they are; the caller guarantees that they agree.
    static OrderedDictionary _uniqueKeys(OrderedSet<Key> keys, std::vector<Value> values);
    // A key's first occurrence fixes its place; later ones are combined with
    // (current value, new value).
    template <std::ranges::input_range Pairs, class Combine>
    static OrderedDictionary uniquingKeysWith(Pairs&& pairs, Combine&& combine);
    // Groups in the order of their keys' first occurrence, each in sequence order.
    template <std::ranges::input_range Elements, class KeyForElement>
    static OrderedDictionary grouping(Elements&& elements, KeyForElement&& keyForElement);

    void reserveCapacity(std::ptrdiff_t minimumCapacity)
    {
        keys_.reserveCapacity(minimumCapacity);
        values_.reserve(static_cast<std::size_t>(minimumCapacity));
    }

    // Reading.

    const OrderedSet<Key>& keys() const { return keys_; }
    Values<Value> values() { return Values<Value>(values_); }
    Values<const Value> values() const { return Values<const Value>(values_); }
    OrderedDictionaryElements<OrderedDictionary> elements() const { return OrderedDictionaryElements(*this); }

    std::ptrdiff_t count() const { return static_cast<std::ptrdiff_t>(values_.size()); }
    std::size_t size() const { return values_.size(); }
    bool isEmpty() const { return values_.empty(); }
    bool empty() const { return values_.empty(); }

    std::optional<std::ptrdiff_t> indexForKey(const Key& key) const { return keys_._find(key).index; }
    bool contains(const Key& key) const { return indexForKey(key).has_value(); }

    // The key's value, without copying it; null when absent.
    const Value* find(const Key& key) const
    {
        const auto found = keys_._find(key);
        if (!found.index)
            return nullptr;
        return values_.data() + *found.index;
    }
    std::optional<Value> get(const Key& key) const
    {
        if (const Value* value = find(key))
            return *value;
        return std::nullopt;
    }
    // The key's value, or what `defaultValue` makes; never inserts.
    template <std::invocable DefaultValue>
    Value get(const Key& key, DefaultValue&& defaultValue) const
    {
        if (const Value* value = find(key))
            return *value;
        return std::invoke(defaultValue);
    }

    // Writing.

    // A value replaces the key's value in place or appends the pair; none removes the pair.
    void set(const Key& key, std::optional<Value> value)
    {
        const auto found = keys_._find(key);
        if (found.index) {
            const auto i = static_cast<std::size_t>(*found.index);
            if (value) {
                values_[i] = std::move(*value);
            } else {
                keys_._removeExistingMember(*found.index, found.bucket);
                values_.erase(values_.begin() + *found.index);
            }
        } else if (value) {
            keys_._appendNew(key, found.bucket);
            values_.push_back(std::move(*value));
        }
    }

    // Replaces the key's value in place and returns the old one, or appends the pair.
    std::optional<Value> updateValue(Value value, const Key& key)
    {
        const auto found = keys_._find(key);
        if (found.index)
            return std::exchange(values_[static_cast<std::size_t>(*found.index)], std::move(value));
        keys_._appendNew(key, found.bucket);
        values_.push_back(std::move(value));
        return std::nullopt;
    }

    // A present key keeps its offset (`index` says where it is); an absent one is
    // inserted at `offset` (0 ... count).
    UpdateResult updateValue(Value value, const Key& key, std::ptrdiff_t offset)
    {
        const auto found = keys_._find(key);
        if (found.index)
            return {std::exchange(values_[static_cast<std::size_t>(*found.index)], std::move(value)), *found.index};
        InternalCollectionsUtilities::precondition(offset >= 0 && offset <= count());
        keys_._insertNew(key, offset, found.bucket);
        values_.insert(values_.begin() + offset, std::move(value));
        return {std::nullopt, offset};
    }

    // In-place access (defined in InPlaceAccess.h).

    // Lends the key's value (none when absent) to `body`; the outcome is
    // committed as `set` would, also when the body throws. While lent, the value
    // is moved out of the array, so its own storage stays uniquely owned.
    template <class Body>
    auto modify(const Key& key, Body&& body);
    // Lends the key's value in its slot to `body`, appending the key with the
    // default first when absent.
    template <std::invocable DefaultValue, class Body>
    auto modify(const Key& key, DefaultValue&& defaultValue, Body&& body);
    // Runs `body` on the key's value in its slot; an absent key is appended with
    // the default first, and stays when the body throws.
    template <std::invocable DefaultValue, class Body>
    requires std::invocable<Body, Value&>
    auto updateValue(const Key& key, DefaultValue&& defaultValue, Body&& body);
    // The same, inserting an absent key at `offset` (0 ... count); a present key keeps its place.
    template <std::invocable DefaultValue, class Body>
    requires std::invocable<Body, Value&>
    auto updateValue(const Key& key, DefaultValue&& defaultValue, std::ptrdiff_t offset, Body&& body);

    std::optional<Value> removeValue(const Key& key)
    {
        const auto found = keys_._find(key);
        if (!found.index)
            return std::nullopt;
        keys_._removeExistingMember(*found.index, found.bucket);
        Value removed = std::move(values_[static_cast<std::size_t>(*found.index)]);
        values_.erase(values_.begin() + *found.index);
        return removed;
    }

    // Merging, filtering and mapping (defined in Transforms.h).

    // Present keys get combine(current value, new value) in place; new keys are
    // appended in their order of first occurrence. A throwing combine leaves the
    // pairs merged so far.
    template <std::ranges::input_range Pairs, class Combine>
    void merge(Pairs&& pairs, Combine&& combine);
    template <std::ranges::input_range Pairs, class Combine>
    OrderedDictionary merging(Pairs&& pairs, Combine&& combine) const;
    // The pairs for which the predicate holds, in order.
    template <class Predicate>
    OrderedDictionary filter(Predicate&& isIncluded) const;
    // The same keys (copied, not hashed again) with transformed values.
    template <class Transform>
    auto mapValues(Transform&& transform) const;
    // The keys whose transform gives a value, with those values.
    template <class Transform>
    auto compactMapValues(Transform&& transform) const;
    // Appends a pair whose key is known to be absent; with the bucket where the
    // key's lookup ended, the key is not hashed again.
    void _appendNew(const Key& key, Value value)
    {
        keys_._appendNew(key);
        values_.push_back(std::move(value));
    }
    void _appendNew(const Key& key, Value value, detail::Bucket bucket)
    {
        keys_._appendNew(key, bucket);
        values_.push_back(std::move(value));
    }

    // Reordering and removal by position (defined in Reordering.h): each moves
    // a key and its value together.

    void swapAt(std::ptrdiff_t i, std::ptrdiff_t j);
    void reverse();
    template <class Predicate>
    std::ptrdiff_t partition(Predicate&& belongsInSecondPartition);
    template <class Less>
    void sort(Less&& areInIncreasingOrder);
    void sort();
    template <class Generator>
    void shuffle(Generator&& generator);
    void shuffle();
    void removeAll(bool keepingCapacity = false);
    KeyValue<Key, Value> remove(std::ptrdiff_t at);
    void removeSubrange(OffsetRange range);
    KeyValue<Key, Value> removeFirst();
    KeyValue<Key, Value> removeLast();
    void removeFirst(std::ptrdiff_t k);
    void removeLast(std::ptrdiff_t k);
    template <class Predicate>
    requires std::invocable<Predicate&, KeyValuePair<Key, const Value>>
    void removeAll(Predicate&& shouldBeRemoved);

    // Iteration: pairs in order, as references into the dictionary. Changes to
    // the dictionary invalidate iterators.
    template <class Dictionary, class Pair>
    class BasicIterator {
    public:
        using value_type = Pair;
        using difference_type = std::ptrdiff_t;
        BasicIterator() = default;
        BasicIterator(Dictionary* dictionary, std::ptrdiff_t position) : dictionary_(dictionary), position_(position) {}
        Pair operator*() const
        {
            return {dictionary_->keys_[position_], dictionary_->values_[static_cast<std::size_t>(position_)]};
        }
        BasicIterator& operator++()
        {
            ++position_;
            return *this;
        }
        BasicIterator operator++(int)
        {
            BasicIterator old = *this;
            ++position_;
            return old;
        }
        friend bool operator==(const BasicIterator& a, const BasicIterator& b) { return a.position_ == b.position_; }

    private:
        Dictionary* dictionary_ = nullptr;
        std::ptrdiff_t position_ = 0;
    };
    using iterator = BasicIterator<OrderedDictionary, Element>;
    using const_iterator = BasicIterator<const OrderedDictionary, ConstElement>;
    iterator begin() { return {this, 0}; }
    iterator end() { return {this, count()}; }
    const_iterator begin() const { return {this, 0}; }
    const_iterator end() const { return {this, count()}; }

    // Values: the same pairs in the same order.

    friend bool operator==(const OrderedDictionary& a,
                           const OrderedDictionary& b) requires std::equality_comparable<Value>
    {
        return a.keys_ == b.keys_ && a.values_ == b.values_;
    }

    friend std::int64_t seededHash(const OrderedDictionary& dictionary, std::int64_t seed)
    {
        Hasher hasher(seed);
        hasher.combine(dictionary.count());
        for (std::size_t i = 0; i < dictionary.values_.size(); ++i) {
            hasher.combine(dictionary.keys_[i]);
            hasher.combine(dictionary.values_[i]);
        }
        return hasher.finalize();
    }

    std::string description() const { return InternalCollectionsUtilities::_dictionaryDescription(*this); }
    friend std::ostream& operator<<(std::ostream& out, const OrderedDictionary& dictionary)
    {
        return out << dictionary.description();
    }
    friend void PrintTo(const OrderedDictionary& dictionary, std::ostream* out) { *out << dictionary.description(); }

    // Retired: the pair at an offset is read through elements(), and the
    // defaulted updates are updateValue.
    [[deprecated("read the pair through elements()")]] ConstElement subscriptOffset(std::ptrdiff_t) const
    {
        InternalCollectionsUtilities::fatal("Fatal error");
    }
    template <class DefaultValue, class Body>
    [[deprecated("use updateValue(key, defaultValue, body)")]] void modifyValue(const Key&, DefaultValue&&, Body&&)
    {
        InternalCollectionsUtilities::fatal("Fatal error");
    }
    template <class DefaultValue, class Body>
    [[deprecated("use updateValue(key, defaultValue, offset, body)")]] void modifyValue(const Key&, DefaultValue&&,
                                                                                        std::ptrdiff_t, Body&&)
    {
        InternalCollectionsUtilities::fatal("Fatal error");
    }

private:
    template <class, class>
    friend class OrderedDictionary;

    // The pairs in order; `checked` stops the program on a repeated key.
    template <std::ranges::input_range Pairs>
    static OrderedDictionary fromPairs(Pairs&& pairs, bool checked);
    // Puts the pair at order[i] at offset i; the key set refills its index in place.
    void permute(const std::vector<std::ptrdiff_t>& order);

    // Puts the lent value back, as `set` would have written it.
    void finalizeKeyingModify(const Key& key, const detail::FindResult& found, std::optional<Value>& lent);
    // Moves the value out of its slot for the body and back afterwards, also
    // when the body throws.
    template <class Body>
    auto withValueMovedOut(std::ptrdiff_t offset, Body&& body);

    OrderedSet<Key> keys_;
    std::vector<Value> values_;
};

} // namespace OrderedCollections

#include "OrderedCollections/OrderedDictionary/Construction.h"
#include "OrderedCollections/OrderedDictionary/InPlaceAccess.h"
#include "OrderedCollections/OrderedDictionary/Reordering.h"
#include "OrderedCollections/OrderedDictionary/Transforms.h"

template <class Key, class Value>
struct std::hash<OrderedCollections::OrderedDictionary<Key, Value>> {
    std::size_t operator()(const OrderedCollections::OrderedDictionary<Key, Value>& dictionary) const
    {
        return static_cast<std::size_t>(OrderedCollections::hashValue(dictionary));
    }
};
