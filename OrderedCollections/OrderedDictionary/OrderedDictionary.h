#pragma once

// A dictionary that keeps its pairs in the order in which their keys were
// first inserted, and also behaves like an array of pairs at offsets 0 ..< count.
// The keys are an ordered set, whose hash index finds a key's offset; the
// values sit in a parallel array at the same offsets. A copy copies both; a
// move is O(1). Every keyed operation hashes its key once: the bucket that the
// lookup found is handed on to the insertion or removal.

#include "InternalCollectionsUtilities/Descriptions.h"
#include "InternalCollectionsUtilities/Fatal.h"
#include "InternalCollectionsUtilities/ScopeExit.h"
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

    // Construction.

    static OrderedDictionary withMinimumCapacity(std::ptrdiff_t minimumCapacity, bool persistent = false)
    {
        OrderedDictionary dictionary;
        dictionary.keys_ = OrderedSet<Key>::withMinimumCapacity(minimumCapacity, persistent);
        dictionary.values_.reserve(static_cast<std::size_t>(minimumCapacity));
        return dictionary;
    }

    // Pairs whose keys must be unique: a repeated key stops the program.
    template <std::ranges::input_range Pairs>
    static OrderedDictionary uniqueKeysWithValues(Pairs&& pairs)
    {
        OrderedDictionary dictionary;
        if constexpr (std::ranges::sized_range<Pairs>)
            dictionary.reserveCapacity(static_cast<std::ptrdiff_t>(std::ranges::size(pairs)));
        for (auto&& pair : pairs) {
            const auto [inserted, index] = dictionary.keys_._append(Key(keyOf(pair)));
            InternalCollectionsUtilities::precondition(inserted);
            dictionary.values_.push_back(Value(valueOf(pair)));
        }
        return dictionary;
    }
    // A standard hash map's keys are unique already: its pairs in its iteration order, unchecked.
    template <class Hash, class Equal, class Allocator>
    static OrderedDictionary uniqueKeysWithValues(const std::unordered_map<Key, Value, Hash, Equal, Allocator>& map)
    {
        return uncheckedUniqueKeysWithValues(map);
    }

    // The caller guarantees that the keys are unique; nothing checks it.
    template <std::ranges::input_range Pairs>
    static OrderedDictionary uncheckedUniqueKeysWithValues(Pairs&& pairs)
    {
        OrderedDictionary dictionary;
        if constexpr (std::ranges::sized_range<Pairs>)
            dictionary.reserveCapacity(static_cast<std::ptrdiff_t>(std::ranges::size(pairs)));
        for (auto&& pair : pairs) {
            dictionary.keys_._appendNew(Key(keyOf(pair)));
            dictionary.values_.push_back(Value(valueOf(pair)));
        }
        return dictionary;
    }

    // Keys and values at the same positions; unequal counts or a repeated key stop the program.
    static OrderedDictionary uniqueKeys(std::vector<Key> keys, std::vector<Value> values)
    {
        InternalCollectionsUtilities::precondition(keys.size() == values.size());
        OrderedSet<Key> keySet(std::move(keys));
        InternalCollectionsUtilities::precondition(keySet.size() == values.size());
        return _uniqueKeys(std::move(keySet), std::move(values));
    }
    static OrderedDictionary uncheckedUniqueKeys(std::vector<Key> keys, std::vector<Value> values)
    {
        InternalCollectionsUtilities::precondition(keys.size() == values.size());
        return _uniqueKeys(OrderedSet<Key>::uncheckedUniqueElements(std::move(keys)), std::move(values));
    }
    // Both parts as they are; the caller guarantees that they agree.
    static OrderedDictionary _uniqueKeys(OrderedSet<Key> keys, std::vector<Value> values)
    {
        OrderedDictionary dictionary;
        dictionary.keys_ = std::move(keys);
        dictionary.values_ = std::move(values);
        return dictionary;
    }

    // A key's first occurrence fixes its place; later ones are combined with
    // (current value, new value).
    template <std::ranges::input_range Pairs, class Combine>
    static OrderedDictionary uniquingKeysWith(Pairs&& pairs, Combine&& combine)
    {
        OrderedDictionary dictionary;
        dictionary.merge(std::forward<Pairs>(pairs), std::forward<Combine>(combine));
        return dictionary;
    }

    // Groups in the order of their keys' first occurrence, each in sequence order.
    template <std::ranges::input_range Elements, class KeyForElement>
    static OrderedDictionary grouping(Elements&& elements, KeyForElement&& keyForElement)
    {
        OrderedDictionary dictionary;
        for (auto&& element : elements) {
            dictionary.updateValue(
                Key(std::invoke(keyForElement, element)), [] { return Value{}; },
                [&](Value& group) { group.push_back(element); });
        }
        return dictionary;
    }

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
        const auto index = keys_._find(key).index;
        return index ? &values_[static_cast<std::size_t>(*index)] : nullptr;
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

    // Lends the key's value (none when absent) to `body`; the outcome is
    // committed as `set` would, also when the body throws. While lent, the value
    // is moved out of the array, so its own storage stays uniquely owned.
    template <class Body>
    auto modify(const Key& key, Body&& body)
    {
        const auto found = keys_._find(key);
        std::optional<Value> lent;
        if (found.index) {
            using std::swap;
            swap(values_[static_cast<std::size_t>(*found.index)], values_.back());
            lent.emplace(std::move(values_.back()));
            values_.pop_back();
        }
        InternalCollectionsUtilities::ScopeExit commit([&] { finalizeKeyingModify(key, found, lent); });
        return std::invoke(body, lent);
    }

    // Lends the key's value in its slot to `body`, appending the key with the
    // default first when absent.
    template <std::invocable DefaultValue, class Body>
    auto modify(const Key& key, DefaultValue&& defaultValue, Body&& body)
    {
        return updateValue(key, std::forward<DefaultValue>(defaultValue), std::forward<Body>(body));
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

    // Runs `body` on the key's value in its slot; an absent key is appended with
    // the default first, and stays when the body throws.
    template <std::invocable DefaultValue, class Body>
    requires std::invocable<Body, Value&>
    auto updateValue(const Key& key, DefaultValue&& defaultValue, Body&& body)
    {
        const auto found = keys_._find(key);
        std::ptrdiff_t offset;
        if (found.index) {
            offset = *found.index;
        } else {
            // The default is made before the key goes in, so a throwing default changes nothing.
            Value initial = std::invoke(defaultValue);
            keys_._appendNew(key, found.bucket);
            values_.push_back(std::move(initial));
            offset = count() - 1;
        }
        return withValueMovedOut(offset, std::forward<Body>(body));
    }

    // The same, inserting an absent key at `offset` (0 ... count); a present key keeps its place.
    template <std::invocable DefaultValue, class Body>
    requires std::invocable<Body, Value&>
    auto updateValue(const Key& key, DefaultValue&& defaultValue, std::ptrdiff_t offset, Body&& body)
    {
        const auto found = keys_._find(key);
        if (found.index) {
            offset = *found.index;
        } else {
            InternalCollectionsUtilities::precondition(offset >= 0 && offset <= count());
            Value initial = std::invoke(defaultValue);
            keys_._insertNew(key, offset, found.bucket);
            values_.insert(values_.begin() + offset, std::move(initial));
        }
        return withValueMovedOut(offset, std::forward<Body>(body));
    }

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

    // Present keys get combine(current value, new value) in place; new keys are
    // appended in their order of first occurrence. A throwing combine leaves the
    // pairs merged so far.
    template <std::ranges::input_range Pairs, class Combine>
    void merge(Pairs&& pairs, Combine&& combine)
    {
        for (auto&& pair : pairs) {
            const auto& key = keyOf(pair);
            const auto found = keys_._find(key);
            if (found.index) {
                Value& current = values_[static_cast<std::size_t>(*found.index)];
                current = std::invoke(combine, std::as_const(current), valueOf(pair));
            } else {
                keys_._appendNew(Key(key), found.bucket);
                values_.push_back(Value(valueOf(pair)));
            }
        }
    }
    template <std::ranges::input_range Pairs, class Combine>
    OrderedDictionary merging(Pairs&& pairs, Combine&& combine) const
    {
        OrderedDictionary merged = *this;
        merged.merge(std::forward<Pairs>(pairs), std::forward<Combine>(combine));
        return merged;
    }

    // The pairs for which the predicate holds, in order.
    template <class Predicate>
    OrderedDictionary filter(Predicate&& isIncluded) const
    {
        OrderedDictionary result;
        for (std::size_t i = 0; i < values_.size(); ++i) {
            if (std::invoke(isIncluded, ConstElement{keys_[i], values_[i]})) {
                result.keys_._appendNew(keys_[i]);
                result.values_.push_back(values_[i]);
            }
        }
        return result;
    }

    // The same keys (copied, not hashed again) with transformed values.
    template <class Transform>
    auto mapValues(Transform&& transform) const
    {
        using T = std::remove_cvref_t<std::invoke_result_t<Transform&, const Value&>>;
        std::vector<T> mapped;
        mapped.reserve(values_.size());
        for (const Value& value : values_)
            mapped.push_back(std::invoke(transform, value));
        return OrderedDictionary<Key, T>::_uniqueKeys(keys_, std::move(mapped));
    }

    // The keys whose transform gives a value, with those values.
    template <class Transform>
    auto compactMapValues(Transform&& transform) const
    {
        using T = typename std::remove_cvref_t<std::invoke_result_t<Transform&, const Value&>>::value_type;
        OrderedDictionary<Key, T> result;
        for (std::size_t i = 0; i < values_.size(); ++i)
            if (std::optional<T> mapped = std::invoke(transform, values_[i]))
                result._appendNew(keys_[i], std::move(*mapped));
        return result;
    }
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

    // Puts the lent value back, as `set` would have written it.
    void finalizeKeyingModify(const Key& key, const detail::FindResult& found, std::optional<Value>& lent)
    {
        if (found.index) {
            const auto i = static_cast<std::size_t>(*found.index);
            if (lent) {
                values_.push_back(std::move(*lent));
                using std::swap;
                swap(values_[i], values_.back());
                return;
            }
            // The last key's value stands at i since the lending; it goes back to the end.
            if (i < values_.size()) {
                Value last = std::move(values_[i]);
                values_.erase(values_.begin() + *found.index);
                values_.push_back(std::move(last));
            }
            keys_._removeExistingMember(*found.index, found.bucket);
        } else if (lent) {
            keys_._appendNew(key, found.bucket);
            values_.push_back(std::move(*lent));
        }
    }

    // Moves the value out of its slot for the body and back afterwards, also
    // when the body throws.
    template <class Body>
    auto withValueMovedOut(std::ptrdiff_t offset, Body&& body)
    {
        Value& slot = values_[static_cast<std::size_t>(offset)];
        Value lent = std::move(slot);
        InternalCollectionsUtilities::ScopeExit commit([&] { slot = std::move(lent); });
        return std::invoke(body, lent);
    }

    OrderedSet<Key> keys_;
    std::vector<Value> values_;
};

} // namespace OrderedCollections
