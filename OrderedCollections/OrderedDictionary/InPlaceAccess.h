#pragma once

// Changing an ordered dictionary's value in place: the value is moved out of
// the array while the caller's function changes it and moved back when the
// function returns or throws, so that storage of its own is never copied.

#include "InternalCollectionsUtilities/ScopeExit.h"
#include "OrderedCollections/OrderedDictionary/OrderedDictionary.h"

#include <functional>
#include <optional>
#include <utility>

namespace OrderedCollections {

// A present value is swapped to the end and popped for the lending.
template <class Key, class Value>
template <class Body>
auto OrderedDictionary<Key, Value>::modify(const Key& key, Body&& body)
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

template <class Key, class Value>
void OrderedDictionary<Key, Value>::finalizeKeyingModify(const Key& key, const detail::FindResult& found,
                                                         std::optional<Value>& lent)
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

template <class Key, class Value>
template <std::invocable DefaultValue, class Body>
auto OrderedDictionary<Key, Value>::modify(const Key& key, DefaultValue&& defaultValue, Body&& body)
{
    return updateValue(key, std::forward<DefaultValue>(defaultValue), std::forward<Body>(body));
}

template <class Key, class Value>
template <std::invocable DefaultValue, class Body>
requires std::invocable<Body, Value&>
auto OrderedDictionary<Key, Value>::updateValue(const Key& key, DefaultValue&& defaultValue, Body&& body)
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

template <class Key, class Value>
template <std::invocable DefaultValue, class Body>
requires std::invocable<Body, Value&>
auto OrderedDictionary<Key, Value>::updateValue(const Key& key, DefaultValue&& defaultValue, std::ptrdiff_t offset,
                                                Body&& body)
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

template <class Key, class Value>
template <class Body>
auto OrderedDictionary<Key, Value>::withValueMovedOut(std::ptrdiff_t offset, Body&& body)
{
    Value& slot = values_[static_cast<std::size_t>(offset)];
    Value lent = std::move(slot);
    InternalCollectionsUtilities::ScopeExit commit([&] { slot = std::move(lent); });
    return std::invoke(body, lent);
}

} // namespace OrderedCollections
