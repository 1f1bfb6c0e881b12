#pragma once

// A key and its value as the ordered dictionary hands them out: references
// into the dictionary, read with `.key` and `.value` or a structured binding.

#include <utility>

namespace OrderedCollections {

template <class Key, class Value>
struct KeyValuePair {
    const Key& key;
    Value& value;
};

// A pair taken out of the dictionary.
template <class Key, class Value>
struct KeyValue {
    Key key;
    Value value;
    friend bool operator==(const KeyValue&, const KeyValue&) = default;
};

// Pairs given to the dictionary's builders: std::pair or anything with `key` and `value`.
template <class Pair>
decltype(auto) keyOf(Pair&& pair)
{
    if constexpr (requires { pair.key; })
        return (std::forward<Pair>(pair).key);
    else
        return (std::forward<Pair>(pair).first);
}
template <class Pair>
decltype(auto) valueOf(Pair&& pair)
{
    if constexpr (requires { pair.value; })
        return (std::forward<Pair>(pair).value);
    else
        return (std::forward<Pair>(pair).second);
}

} // namespace OrderedCollections
