#include "OrderedCollections/OrderedSet/NumberedSet.h"
#include "OrderedCollections/OrderedSet/OrderedSet.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>

namespace {

using OrderedCollections::OrderedSet;
using OrderedCollectionsTests::expectEveryElementFound;
using OrderedCollectionsTests::setOf;

TEST(OrderedSetCore, TheTableAppearsWithTheSixteenthElementAndGrowsAtThreeQuarters)
{
    auto set = setOf(15);
    EXPECT_EQ(set._scale(), 0);
    EXPECT_FALSE(set._table());
    set.append(15);
    EXPECT_EQ(set._scale(), 5);
    EXPECT_EQ(set._capacity(), 24);
    for (int i = 16; i < 24; ++i)
        set.append(i);
    EXPECT_EQ(set._scale(), 5);
    set.append(24);
    EXPECT_EQ(set._scale(), 6);
    expectEveryElementFound(set);
}

TEST(OrderedSetCore, RemovalsShrinkTheTableBelowAQuarterFull)
{
    auto set = setOf(16);
    while (set.count() > 8) {
        set._removeExistingMember(0, set._bucket(0));
        EXPECT_EQ(set._scale(), 5) << set.count();
        expectEveryElementFound(set);
    }
    set._removeExistingMember(3, set._bucket(3));
    EXPECT_FALSE(set._table());
    EXPECT_EQ(set, OrderedSet<int>({8, 9, 10, 12, 13, 14, 15}));
}

TEST(OrderedSetCore, APersistentReservationKeepsItsScale)
{
    auto set = OrderedSet<int>::withMinimumCapacity(100, true);
    EXPECT_EQ(set._scale(), 8);
    EXPECT_EQ(set._reservedScale(), 8);
    for (int i = 0; i < 20; ++i)
        set.append(i);
    while (set.count() > 5)
        set._removeExistingMember(0, set._bucket(0));
    EXPECT_EQ(set._scale(), 8);
    expectEveryElementFound(set);
    set._reserveCapacity(0, true);
    EXPECT_FALSE(set._table());
}

TEST(OrderedSetCore, AReservationWithoutPersistenceShrinksToWhatTheElementsNeed)
{
    auto set = OrderedSet<int>::withMinimumCapacity(96);
    EXPECT_EQ(set._scale(), 7);
    EXPECT_EQ(set._reservedScale(), 0);
    for (int i = 0; i < 20; ++i)
        set.append(i);
    set.reserveCapacity(10);
    EXPECT_EQ(set._scale(), 5);
    expectEveryElementFound(set);
}

TEST(OrderedSetCore, CopiesAreIndependentAndKeepTheSeed)
{
    auto original = setOf(30);
    auto copy = original;
    EXPECT_EQ(copy._table()->seed(), original._table()->seed());
    copy._removeExistingMember(5, copy._bucket(5));
    copy.append(100);
    EXPECT_EQ(original.count(), 30);
    expectEveryElementFound(original);
    expectEveryElementFound(copy);
    EXPECT_EQ(original._find(100).index, std::nullopt);

    auto moved = std::move(copy);
    EXPECT_TRUE(copy.isEmpty());
    EXPECT_FALSE(copy._table());
    expectEveryElementFound(moved);
}

TEST(OrderedSetCore, FilterKeepsOrderAndLeavesTheSetAloneWhenThePredicateThrows)
{
    const auto set = setOf(40);
    const auto even = set.filter([](int i) { return i % 2 == 0; });
    EXPECT_EQ(even.count(), 20);
    EXPECT_EQ(even[3], 6);
    expectEveryElementFound(even);

    const auto all = set.filter([](int) { return true; });
    EXPECT_EQ(all, set);
    EXPECT_EQ(all._table()->seed(), set._table()->seed());
    EXPECT_TRUE(std::ranges::equal(all._table()->words(), set._table()->words()));

    int calls = 0;
    EXPECT_THROW(set.filter([&](int) {
        if (++calls == 3)
            throw std::runtime_error("predicate");
        return false;
    }),
                 std::runtime_error);
    EXPECT_EQ(set, setOf(40));
    EXPECT_TRUE(set.filter([](int) { return false; }).isEmpty());
}

TEST(OrderedSetCore, WritingTheElementsKeepsFirstOccurrences)
{
    auto set = setOf(3);
    set.setElements({5, 6, 5, 7, 6});
    EXPECT_EQ(set.elements(), (std::vector<int>{5, 6, 7}));
}

TEST(OrderedSetCore, FindGivesTheSamePositionWithOrWithoutATable)
{
    const auto small = setOf(10);
    const auto large = setOf(100);
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(small._find(i).index, large._find(i).index);
    EXPECT_EQ(small._find(50).index, std::nullopt);
    EXPECT_EQ(large._find(-1).index, std::nullopt);
    EXPECT_EQ(large.firstIndex(99), 99);
}

} // namespace
