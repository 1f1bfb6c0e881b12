#pragma once

// Merging into dictionaries keyed by code-unit keys from dictionaries keyed by
// keys or by either kind of text, whose keys are converted first.

#include "Hub/Config/StringConvertible.h"

#include <unordered_map>
#include <utility>

namespace Hub {

// Entries of `other` whose key is absent are added; for a key present in both,
// `strategy(current, fromOther)` gives the stored value.
template <class Value, StringConvertible Key, class Strategy>
void merge(std::unordered_map<BinaryDistinctString, Value>& dictionary, const std::unordered_map<Key, Value>& other,
           Strategy&& strategy)
{
    for (const auto& [key, value] : other) {
        auto [position, inserted] = dictionary.try_emplace(BinaryDistinctString(key), value);
        if (!inserted)
            position->second = strategy(position->second, value);
    }
}

template <class Value, StringConvertible Key, class Strategy>
std::unordered_map<BinaryDistinctString, Value> merging(std::unordered_map<BinaryDistinctString, Value> dictionary,
                                                        const std::unordered_map<Key, Value>& other,
                                                        Strategy&& strategy)
{
    merge(dictionary, other, std::forward<Strategy>(strategy));
    return dictionary;
}

} // namespace Hub
