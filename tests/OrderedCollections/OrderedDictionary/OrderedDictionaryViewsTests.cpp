#include "OrderedCollections/OrderedDictionary/OrderedDictionary.h"

#include <gtest/gtest.h>

#include <span>
#include <string>
#include <vector>

namespace {

using OrderedCollections::OffsetRange;
using OrderedCollections::OrderedDictionary;
using Dictionary = OrderedDictionary<std::string, int>;

const Dictionary five{{"a", 1}, {"b", 2}, {"c", 3}, {"d", 4}, {"e", 5}};

TEST(OrderedDictionaryViews, IterationGivesEachPairOnceInOrder)
{
    std::string seen;
    for (const auto& [key, value] : five)
        seen += key + std::to_string(value);
    EXPECT_EQ(seen, "a1b2c3d4e5");
    for (const auto& pair : Dictionary())
        ADD_FAILURE() << pair.key;

    Dictionary changing = five;
    for (auto [key, value] : changing)
        value *= 10;
    EXPECT_EQ(*changing.find("e"), 50);

    // A copy taken for iteration keeps the old pairs.
    const Dictionary snapshot = changing;
    changing.set("a", std::nullopt);
    EXPECT_EQ((*snapshot.begin()).key, "a");
}

TEST(OrderedDictionaryViews, SlicesUseTheDictionarysOffsets)
{
    const auto slice = five.elements()[OffsetRange{2, 4}];
    EXPECT_EQ(slice.startIndex(), 2);
    EXPECT_EQ(slice.count(), 2);
    EXPECT_EQ(slice[3].key, "d");
    EXPECT_EQ(slice.indexForKey("a"), std::nullopt);
    EXPECT_EQ(slice.indexForKey("c"), 2);
    EXPECT_EQ(slice.description(), R"(["c": 3, "d": 4])");
    EXPECT_EQ(slice.values().elements(), (std::vector<int>{3, 4}));
    EXPECT_EQ((slice[OffsetRange{3, 4}]).count(), 1);
    EXPECT_EQ(slice.keys().startIndex(), 2);
    EXPECT_EQ(slice.keys().description(), R"(["c", "d"])");
    EXPECT_FALSE(slice.keys().contains("a"));

    const auto elements = five.elements();
    EXPECT_EQ(elements[4].value, 5);
    EXPECT_EQ(elements.index(0, 3, 2), std::nullopt);
    EXPECT_EQ(elements.index(0, 2, 2), 2);
    EXPECT_EQ(elements.index(3, -2, 2), std::nullopt);
    EXPECT_EQ(elements.index(3, 0, 0), 3);
}

TEST(OrderedDictionaryViewsDeathTest, ReadsOutsideAViewStop)
{
    const auto slice = five.elements()[OffsetRange{2, 4}];
    EXPECT_DEATH(slice[4], "");
    EXPECT_DEATH((slice[OffsetRange{1, 3}]), "");
    EXPECT_DEATH(five.elements()[5], "");
    EXPECT_DEATH((five.values()[OffsetRange{3, 6}]), "");
}

TEST(OrderedDictionaryViews, ValuesChangeWithoutMovingKeys)
{
    Dictionary dictionary = five;
    dictionary.values()[1] = 20;
    EXPECT_EQ(dictionary.description(), R"(["a": 1, "b": 20, "c": 3, "d": 4, "e": 5])");
    dictionary.values().swapAt(0, 1);
    EXPECT_EQ(*dictionary.find("a"), 20);
    EXPECT_EQ(*dictionary.find("b"), 1);
    EXPECT_EQ(dictionary.indexForKey("a"), 0);

    const auto boundary = dictionary.values().partition([](int value) { return value % 2 == 0; });
    EXPECT_EQ(boundary, 3);
    EXPECT_EQ(dictionary.keys(), five.keys());
    for (std::ptrdiff_t i = 0; i < dictionary.count(); ++i)
        EXPECT_EQ(dictionary.values()[i] % 2 == 0, i >= boundary);

    dictionary.values().withUnsafeMutableBufferPointer([](std::span<int> values) {
        for (int& value : values)
            value = -value;
    });
    EXPECT_EQ(dictionary.values().withUnsafeBufferPointer([](std::span<const int> values) { return values[0]; }),
              dictionary.values()[0]);
    EXPECT_LT(dictionary.values()[4], 0);
    EXPECT_EQ(five.values().description(), "[1, 2, 3, 4, 5]");
    const Dictionary copy = five;
    EXPECT_EQ(five.values(), copy.values());
}

} // namespace
