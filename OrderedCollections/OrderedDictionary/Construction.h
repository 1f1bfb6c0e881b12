#pragma once

// The ordered dictionary's builders: from pairs whose keys must be unique or
// are trusted to be, from parallel keys and values, from pairs with repeats
// combined, and by grouping.

#include "InternalCollectionsUtilities/Fatal.h"
#include "OrderedCollections/OrderedDictionary/OrderedDictionary.h"

#include <functional>
#include <ranges>
#include <unordered_map>
#include <utility>
#include <vector>

namespace OrderedCollections {

template <class Key, class Value>
OrderedDictionary<Key, Value> OrderedDictionary<Key, Value>::withMinimumCapacity(std::ptrdiff_t minimumCapacity,
                                                                                 bool persistent)
{
    OrderedDictionary dictionary;
    dictionary.keys_ = OrderedSet<Key>::withMinimumCapacity(minimumCapacity, persistent);
    dictionary.values_.reserve(static_cast<std::size_t>(minimumCapacity));
    return dictionary;
}

template <class Key, class Value>
template <std::ranges::input_range Pairs>
OrderedDictionary<Key, Value> OrderedDictionary<Key, Value>::fromPairs(Pairs&& pairs, bool checked)
{
    OrderedDictionary dictionary;
    if constexpr (std::ranges::sized_range<Pairs>)
        dictionary.reserveCapacity(static_cast<std::ptrdiff_t>(std::ranges::size(pairs)));
    for (auto&& pair : pairs) {
        if (checked)
            InternalCollectionsUtilities::precondition(dictionary.keys_._append(Key(keyOf(pair))).inserted);
        else
            dictionary.keys_._appendNew(Key(keyOf(pair)));
        dictionary.values_.push_back(Value(valueOf(pair)));
    }
    return dictionary;
}

template <class Key, class Value>
template <std::ranges::input_range Pairs>
OrderedDictionary<Key, Value> OrderedDictionary<Key, Value>::uniqueKeysWithValues(Pairs&& pairs)
{
    return fromPairs(std::forward<Pairs>(pairs), true);
}

template <class Key, class Value>
template <class Hash, class Equal, class Allocator>
OrderedDictionary<Key, Value>
OrderedDictionary<Key, Value>::uniqueKeysWithValues(const std::unordered_map<Key, Value, Hash, Equal, Allocator>& map)
{
    return uncheckedUniqueKeysWithValues(map);
}

template <class Key, class Value>
template <std::ranges::input_range Pairs>
OrderedDictionary<Key, Value> OrderedDictionary<Key, Value>::uncheckedUniqueKeysWithValues(Pairs&& pairs)
{
    return fromPairs(std::forward<Pairs>(pairs), false);
}

template <class Key, class Value>
OrderedDictionary<Key, Value> OrderedDictionary<Key, Value>::uniqueKeys(std::vector<Key> keys,
                                                                        std::vector<Value> values)
{
    InternalCollectionsUtilities::precondition(keys.size() == values.size());
    OrderedSet<Key> keySet(std::move(keys));
    InternalCollectionsUtilities::precondition(keySet.size() == values.size());
    return _uniqueKeys(std::move(keySet), std::move(values));
}

// The keys' table is built in one pass, and only from 16 keys on.
template <class Key, class Value>
OrderedDictionary<Key, Value> OrderedDictionary<Key, Value>::uncheckedUniqueKeys(std::vector<Key> keys,
                                                                                 std::vector<Value> values)
{
    InternalCollectionsUtilities::precondition(keys.size() == values.size());
    return _uniqueKeys(OrderedSet<Key>::uncheckedUniqueElements(std::move(keys)), std::move(values));
}

template <class Key, class Value>
OrderedDictionary<Key, Value> OrderedDictionary<Key, Value>::_uniqueKeys(OrderedSet<Key> keys,
                                                                         std::vector<Value> values)
{
    OrderedDictionary dictionary;
    dictionary.keys_ = std::move(keys);
    dictionary.values_ = std::move(values);
    return dictionary;
}

template <class Key, class Value>
template <std::ranges::input_range Pairs, class Combine>
OrderedDictionary<Key, Value> OrderedDictionary<Key, Value>::uniquingKeysWith(Pairs&& pairs, Combine&& combine)
{
    OrderedDictionary dictionary;
    dictionary.merge(std::forward<Pairs>(pairs), std::forward<Combine>(combine));
    return dictionary;
}

template <class Key, class Value>
template <std::ranges::input_range Elements, class KeyForElement>
OrderedDictionary<Key, Value> OrderedDictionary<Key, Value>::grouping(Elements&& elements,
                                                                      KeyForElement&& keyForElement)
{
    OrderedDictionary dictionary;
    for (auto&& element : elements) {
        dictionary.updateValue(
            Key(std::invoke(keyForElement, element)), [] { return Value{}; },
            [&](Value& group) { group.push_back(element); });
    }
    return dictionary;
}

} // namespace OrderedCollections
