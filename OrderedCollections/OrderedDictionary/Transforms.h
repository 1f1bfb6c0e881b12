#pragma once

// Merging pairs into an ordered dictionary, and filtering and mapping its
// pairs into new dictionaries, all in the dictionary's order.

#include "OrderedCollections/OrderedDictionary/OrderedDictionary.h"

#include <functional>
#include <optional>
#include <ranges>
#include <type_traits>
#include <utility>
#include <vector>

namespace OrderedCollections {

template <class Key, class Value>
template <std::ranges::input_range Pairs, class Combine>
void OrderedDictionary<Key, Value>::merge(Pairs&& pairs, Combine&& combine)
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

template <class Key, class Value>
template <std::ranges::input_range Pairs, class Combine>
OrderedDictionary<Key, Value> OrderedDictionary<Key, Value>::merging(Pairs&& pairs, Combine&& combine) const
{
    OrderedDictionary merged = *this;
    merged.merge(std::forward<Pairs>(pairs), std::forward<Combine>(combine));
    return merged;
}

// The keys of the result need no test: they are unique here already.
template <class Key, class Value>
template <class Predicate>
OrderedDictionary<Key, Value> OrderedDictionary<Key, Value>::filter(Predicate&& isIncluded) const
{
    OrderedDictionary result;
    for (std::size_t i = 0; i < values_.size(); ++i) {
        if (std::invoke(isIncluded, ConstElement{keys_[i], values_[i]}))
            result._appendNew(keys_[i], values_[i]);
    }
    return result;
}

template <class Key, class Value>
template <class Transform>
auto OrderedDictionary<Key, Value>::mapValues(Transform&& transform) const
{
    using T = std::remove_cvref_t<std::invoke_result_t<Transform&, const Value&>>;
    std::vector<T> mapped;
    mapped.reserve(values_.size());
    for (const Value& value : values_)
        mapped.push_back(std::invoke(transform, value));
    return OrderedDictionary<Key, T>::_uniqueKeys(keys_, std::move(mapped));
}

template <class Key, class Value>
template <class Transform>
auto OrderedDictionary<Key, Value>::compactMapValues(Transform&& transform) const
{
    using T = typename std::remove_cvref_t<std::invoke_result_t<Transform&, const Value&>>::value_type;
    OrderedDictionary<Key, T> result;
    for (std::size_t i = 0; i < values_.size(); ++i)
        if (std::optional<T> mapped = std::invoke(transform, values_[i]))
            result._appendNew(keys_[i], std::move(*mapped));
    return result;
}

} // namespace OrderedCollections
