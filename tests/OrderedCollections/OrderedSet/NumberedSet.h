#pragma once

// Ordered sets of 0 ..< count, and the check that the index finds every element
// at its position.

#include "OrderedCollections/OrderedSet/OrderedSet.h"

#include <gtest/gtest.h>

namespace OrderedCollectionsTests {

inline OrderedCollections::OrderedSet<int> setOf(int count, int first = 0)
{
    OrderedCollections::OrderedSet<int> set;
    for (int i = first; i < first + count; ++i)
        set.append(i);
    return set;
}

template <class Element>
void expectEveryElementFound(const OrderedCollections::OrderedSet<Element>& set)
{
    for (std::ptrdiff_t i = 0; i < set.count(); ++i)
        EXPECT_EQ(set._find(set[i]).index, i) << set[i];
}

} // namespace OrderedCollectionsTests
