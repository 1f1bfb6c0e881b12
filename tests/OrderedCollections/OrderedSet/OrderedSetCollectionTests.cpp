#include "OrderedCollections/OrderedSet/NumberedSet.h"
#include "OrderedCollections/OrderedSet/OrderedSet.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <random>
#include <stdexcept>
#include <vector>

namespace {

using OrderedCollections::OrderedSet;
using OrderedCollectionsTests::expectEveryElementFound;
using OrderedCollectionsTests::setOf;

TEST(OrderedSetCollection, PartitionsPutMatchingElementsLastAndKeepTheIndexInStep)
{
    auto set = setOf(20, 1);
    std::vector<std::pair<std::ptrdiff_t, std::ptrdiff_t>> exchanges;
    const auto pivot = set._partition([](int x) { return x % 2 == 0; },
                                      [&](std::ptrdiff_t i, std::ptrdiff_t j) { exchanges.emplace_back(i, j); });
    EXPECT_EQ(pivot, 10);
    for (std::ptrdiff_t i = 0; i < set.count(); ++i)
        EXPECT_EQ(set[i] % 2 == 0, i >= 10) << i;
    EXPECT_FALSE(exchanges.empty());
    expectEveryElementFound(set);

    auto keys = OrderedSet<int>{1, 2, 3, 4, 5, 6};
    std::vector<char> values{'a', 'b', 'c', 'd', 'e', 'f'};
    EXPECT_EQ(keys._halfStablePartition(std::span<char>(values), [](int key, char) { return key % 2 == 0; }), 3);
    EXPECT_EQ(std::vector<int>(keys.begin(), keys.begin() + 3), (std::vector<int>{1, 3, 5}));
    EXPECT_EQ(std::vector<char>(values.begin(), values.begin() + 3), (std::vector<char>{'a', 'c', 'e'}));

    auto small = setOf(5);
    EXPECT_EQ(small.partition([](int x) { return x < 2; }), 3);
    expectEveryElementFound(small);
}

TEST(OrderedSetCollection, SortingAndShufflingRefillTheSameIndex)
{
    auto set = OrderedSet<int>::withMinimumCapacity(100, true);
    for (int i = 40; i > 0; --i)
        set.append(i * 7 % 41);
    const auto before = set.unstable();
    const auto seed = set._table()->seed();
    const int scale = before.scale(), reserved = before.reservedScale();
    set.sort();
    EXPECT_TRUE(std::ranges::is_sorted(set));
    EXPECT_EQ(set._table()->seed(), seed);
    EXPECT_EQ(set._scale(), scale);
    EXPECT_EQ(set._reservedScale(), reserved);
    expectEveryElementFound(set);

    set.sort(std::greater<>());
    EXPECT_EQ(set[0], 40);
    expectEveryElementFound(set);

    // Always drawing 0 takes the first remaining position each time.
    struct Zero {
        using result_type = std::uint64_t;
        static constexpr result_type min() { return 0; }
        static constexpr result_type max() { return std::numeric_limits<result_type>::max(); }
        result_type operator()() { return 0; }
    };
    const auto sorted = set;
    Zero zero;
    set.shuffle(zero);
    EXPECT_EQ(set, sorted);
    std::mt19937_64 random(5);
    set.shuffle(random);
    EXPECT_NE(set, sorted);
    EXPECT_EQ(set._table()->seed(), seed);
    expectEveryElementFound(set);
    set.shuffle();
    expectEveryElementFound(set);
}

TEST(OrderedSetCollection, AThrowingComparatorLeavesTheOldOrder)
{
    auto set = setOf(20);
    set.reverse();
    const auto before = set;
    int calls = 0;
    EXPECT_THROW(set.sort([&](int a, int b) {
        if (++calls == 5)
            throw std::runtime_error("ordering");
        return a < b;
    }),
                 std::runtime_error);
    EXPECT_EQ(set, before);
    expectEveryElementFound(set);

    // An inconsistent ordering only gives some order of the same elements.
    set.sort([](int, int) { return true; });
    EXPECT_EQ(set.count(), 20);
    expectEveryElementFound(set);
}

TEST(OrderedSetCollection, RemovingARangeShiftsOffsetsOrRebuilds)
{
    auto set = setOf(30);
    const auto seed = set._table()->seed();
    set.removeSubrange(2, 5);
    EXPECT_EQ(set.count(), 27);
    EXPECT_EQ(set._table()->seed(), seed);
    EXPECT_EQ(set[2], 5);
    expectEveryElementFound(set);

    set = setOf(30);
    set.removeSubrange(0, 20);
    EXPECT_FALSE(set._table());
    EXPECT_EQ(set[0], 20);
    expectEveryElementFound(set);

    set = setOf(30);
    set.removeFirst(0);
    EXPECT_EQ(set, setOf(30));
    set.removeLast(3);
    EXPECT_EQ(set.count(), 27);
    EXPECT_EQ(set.removeFirst(), 0);
    EXPECT_EQ(set.removeLast(), 26);
    EXPECT_EQ(set.remove(10), 11);
    expectEveryElementFound(set);
}

TEST(OrderedSetCollection, RemovingTheLastElementMovesNoOtherOffset)
{
    auto set = setOf(16);
    EXPECT_EQ(set.removeLast(), 15);
    EXPECT_EQ(set._scale(), 5);
    EXPECT_EQ(set.count(), 15);
    expectEveryElementFound(set);
}

TEST(OrderedSetCollection, RemovingAllKeepsTheIndexOnlyWhenAsked)
{
    auto set = setOf(40);
    const int scale = set._scale();
    set.removeAll(true);
    EXPECT_TRUE(set.isEmpty());
    EXPECT_EQ(set._scale(), scale);
    set.append(3);
    expectEveryElementFound(set);

    set = setOf(40);
    set.removeAll();
    EXPECT_FALSE(set._table());
}

TEST(OrderedSetCollection, RemovingWhereAPredicateHoldsKeepsTheRestInOrder)
{
    auto set = setOf(40);
    set.removeAll([](int x) { return x % 3 != 0; });
    EXPECT_EQ(set.count(), 14);
    EXPECT_EQ(set[1], 3);
    expectEveryElementFound(set);

    const auto before = set;
    int calls = 0;
    EXPECT_THROW(set.removeAll([&](int) -> bool { throw std::runtime_error(std::to_string(++calls)); }),
                 std::runtime_error);
    EXPECT_EQ(set, before);
    expectEveryElementFound(set);
}

TEST(OrderedSetCollection, PositionsAreOffsetsWithCheckedArithmetic)
{
    const auto set = setOf(5);
    EXPECT_EQ(set.startIndex(), 0);
    EXPECT_EQ(set.endIndex(), 5);
    EXPECT_EQ(set.indexAfter(4), 5);
    EXPECT_EQ(set.indexBefore(0), -1);
    EXPECT_EQ(set.distance(4, 1), -3);
    EXPECT_EQ(set.index(2, 3, 4), std::nullopt);
    EXPECT_EQ(set.index(2, 2, 4), 4);
    EXPECT_EQ(set.index(2, -1, 2), std::nullopt);
    EXPECT_EQ(set.index(2, 3, 1), 5);
    std::vector<int> copied(3);
    std::ranges::copy(set[OrderedCollections::OffsetRange{1, 4}], copied.begin());
    EXPECT_EQ(copied, (std::vector<int>{1, 2, 3}));
}

TEST(OrderedSetCollectionDeathTest, ContractBreaksStop)
{
    auto set = setOf(20);
    EXPECT_DEATH(set.removeFirst(21), "");
    EXPECT_DEATH(set.removeLast(-1), "");
    EXPECT_DEATH(set.removeSubrange(3, 2), "");
    EXPECT_DEATH(set.swapAt(0, 20), "");
    EXPECT_DEATH(OrderedSet<int>().removeFirst(), "");
    EXPECT_DEATH(OrderedSet<int>().removeLast(), "");
    EXPECT_DEATH(set.index(std::numeric_limits<std::ptrdiff_t>::max(), 1), "");
}

} // namespace
