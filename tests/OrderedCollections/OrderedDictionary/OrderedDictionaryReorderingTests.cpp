#include "OrderedCollections/OrderedDictionary/NumberedDictionary.h"
#include "OrderedCollections/OrderedDictionary/OrderedDictionary.h"
#include "OrderedCollections/TestElements.h"

#include <gtest/gtest.h>

#include <random>
#include <stdexcept>
#include <string>

namespace {

using OrderedCollections::OffsetRange;
using OrderedCollections::OrderedDictionary;
using Dictionary = OrderedDictionary<std::string, int>;
using OrderedCollectionsTests::expectEveryKeyFindsItsValue;
using OrderedCollectionsTests::numbered;

const Dictionary abc{{"a", 1}, {"b", 2}, {"c", 3}};

TEST(OrderedDictionaryReordering, ReverseAndSwapMoveKeysWithTheirValues)
{
    Dictionary reversed = abc, swapped = abc;
    reversed.reverse();
    swapped.swapAt(0, 2);
    const Dictionary cba{{"c", 3}, {"b", 2}, {"a", 1}};
    EXPECT_EQ(reversed, cba);
    EXPECT_EQ(swapped, cba);
    EXPECT_EQ(swapped.indexForKey("a"), 2);

    for (const int size : {16, 40}) {
        auto large = numbered(size);
        large.reverse();
        expectEveryKeyFindsItsValue(large);
        large.swapAt(0, size - 1);
        large.swapAt(3, 3);
        expectEveryKeyFindsItsValue(large);
    }
}

TEST(OrderedDictionaryReordering, SwappingWithinOneCollisionRunKeepsTheIndex)
{
    // Every key collides, so the two swapped keys' buckets lie on each other's probes.
    OrderedDictionary<OrderedCollectionsTests::Colliding, int> colliding;
    for (int i = 0; i < 20; ++i)
        colliding.set({i}, i);
    colliding.swapAt(7, 2);
    colliding.swapAt(0, 19);
    for (std::ptrdiff_t i = 0; i < colliding.count(); ++i)
        EXPECT_EQ(colliding.indexForKey(colliding.elements()[i].key), i);
    EXPECT_EQ(colliding.elements()[0].value, 19);
    EXPECT_EQ(colliding.elements()[2].value, 7);
}

TEST(OrderedDictionaryReordering, SortingAndShuffling)
{
    Dictionary dictionary{{"b", 1}, {"a", 2}};
    dictionary.sort();
    EXPECT_EQ(dictionary, (Dictionary{{"a", 2}, {"b", 1}}));

    auto large = numbered(40);
    large.sort([](const auto& x, const auto& y) { return x.value % 7 < y.value % 7; });
    EXPECT_EQ(large.elements()[1].key, "k7");
    expectEveryKeyFindsItsValue(large);

    const auto before = large;
    int calls = 0;
    EXPECT_THROW(large.sort([&](const auto& x, const auto& y) {
        if (++calls == 5)
            throw std::runtime_error("ordering");
        return x.key < y.key;
    }),
                 std::runtime_error);
    EXPECT_EQ(large, before);
    // An ordering that contradicts itself may give any order, but loses nothing.
    large.sort([](const auto&, const auto&) { return true; });
    EXPECT_EQ(large.count(), 40);
    expectEveryKeyFindsItsValue(large);

    struct Zero {
        using result_type = std::uint64_t;
        static constexpr result_type min() { return 0; }
        static constexpr result_type max() { return ~result_type(0); }
        result_type operator()() { return 0; }
    } zero;
    auto unchanged = numbered(20);
    unchanged.shuffle(zero);
    EXPECT_EQ(unchanged, numbered(20));

    std::mt19937 random(7);
    auto shuffled = numbered(30);
    shuffled.shuffle(random);
    EXPECT_NE(shuffled, numbered(30));
    expectEveryKeyFindsItsValue(shuffled);
}

TEST(OrderedDictionaryReordering, PartitionsMovePairsTogether)
{
    auto large = numbered(20);
    const auto boundary = large.partition([](const auto& pair) { return pair.value % 2 == 0; });
    EXPECT_EQ(boundary, 10);
    for (std::ptrdiff_t i = 0; i < large.count(); ++i)
        EXPECT_EQ(large.elements()[i].value % 2 == 0, i >= boundary);
    expectEveryKeyFindsItsValue(large);

    Dictionary letters{{"a", 1}, {"b", 2}, {"c", 3}, {"d", 4}};
    letters.removeAll([](const auto& pair) { return pair.value % 2 == 0; });
    EXPECT_EQ(letters, (Dictionary{{"a", 1}, {"c", 3}}));

    auto kept = numbered(30);
    kept.removeAll([](const auto& pair) { return pair.value % 3 == 0; });
    EXPECT_EQ(kept.count(), 20);
    EXPECT_EQ(kept.elements()[0].key, "k1");
    EXPECT_EQ(kept.elements()[2].key, "k4");
    expectEveryKeyFindsItsValue(kept);

    auto failing = numbered(10);
    EXPECT_THROW(failing.removeAll([](const auto& pair) -> bool {
        if (pair.value == 5)
            throw std::runtime_error("predicate");
        return pair.value < 3;
    }),
                 std::runtime_error);
    EXPECT_EQ(failing.count(), 10);
    expectEveryKeyFindsItsValue(failing);
}

TEST(OrderedDictionaryReordering, RemovalsByPosition)
{
    auto dictionary = numbered(30);
    EXPECT_EQ(dictionary.remove(4), (OrderedCollections::KeyValue<std::string, int>{"k4", 4}));
    EXPECT_EQ(dictionary.removeFirst().key, "k0");
    EXPECT_EQ(dictionary.removeLast().key, "k29");
    dictionary.removeSubrange(OffsetRange{2, 5});
    dictionary.removeFirst(0);
    dictionary.removeLast(0);
    EXPECT_EQ(dictionary.count(), 24);
    expectEveryKeyFindsItsValue(dictionary);
    dictionary.removeLast(4);
    dictionary.removeFirst(2);
    EXPECT_EQ(dictionary.elements()[0].key, "k7");
    expectEveryKeyFindsItsValue(dictionary);

    const int scale = dictionary.keys()._scale();
    dictionary.removeAll(true);
    EXPECT_TRUE(dictionary.isEmpty());
    EXPECT_EQ(dictionary.keys()._scale(), scale);
    dictionary.set("x", 1);
    EXPECT_EQ(dictionary.get("x"), 1);
    dictionary.removeAll();
    EXPECT_FALSE(dictionary.keys()._table());

    auto all = numbered(5);
    all.removeFirst(5);
    EXPECT_TRUE(all.isEmpty());
}

TEST(OrderedDictionaryReorderingDeathTest, OutOfRangeRemovalsStop)
{
    auto dictionary = numbered(3);
    EXPECT_DEATH(dictionary.removeFirst(4), "");
    EXPECT_DEATH(dictionary.remove(3), "");
    EXPECT_DEATH(dictionary.swapAt(0, 3), "");
    EXPECT_DEATH(dictionary.removeSubrange(OffsetRange{2, 4}), "");
    EXPECT_DEATH(Dictionary().removeLast(), "");
}

} // namespace
