#pragma once

// Dictionaries whose key "k<n>" holds n, so that any reordering or removal can
// be checked pair by pair; from 16 keys on they have a hash index.

#include "OrderedCollections/OrderedDictionary/OrderedDictionary.h"

#include <gtest/gtest.h>

#include <string>

namespace OrderedCollectionsTests {

using NumberedDictionary = OrderedCollections::OrderedDictionary<std::string, int>;

inline NumberedDictionary numbered(int count)
{
    NumberedDictionary dictionary;
    for (int i = 0; i < count; ++i)
        dictionary.set("k" + std::to_string(i), i);
    return dictionary;
}

// Every key is found at its own offset and holds its own number.
inline void expectEveryKeyFindsItsValue(const NumberedDictionary& dictionary)
{
    for (std::ptrdiff_t i = 0; i < dictionary.count(); ++i) {
        const auto pair = dictionary.elements()[i];
        EXPECT_EQ(dictionary.indexForKey(pair.key), i) << pair.key;
        EXPECT_EQ("k" + std::to_string(pair.value), pair.key);
    }
}

} // namespace OrderedCollectionsTests
