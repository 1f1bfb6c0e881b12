#include "OrderedCollections/OrderedDictionary/NumberedDictionary.h"
#include "OrderedCollections/OrderedDictionary/OrderedDictionary.h"

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using OrderedCollections::OrderedDictionary;
using Dictionary = OrderedDictionary<std::string, int>;
using OrderedCollectionsTests::expectEveryKeyFindsItsValue;
using OrderedCollectionsTests::numbered;

std::vector<std::pair<std::string, int>> pairsOf(const Dictionary& dictionary)
{
    std::vector<std::pair<std::string, int>> pairs;
    for (const auto& [key, value] : dictionary)
        pairs.emplace_back(key, value);
    return pairs;
}

TEST(OrderedDictionaryKeyed, WritingKeepsOffsetsAndRemovingShiftsTheRest)
{
    Dictionary dictionary{{"a", 1}, {"b", 2}, {"c", 3}};
    dictionary.set("z", std::nullopt);
    EXPECT_EQ(dictionary, (Dictionary{{"a", 1}, {"b", 2}, {"c", 3}}));
    dictionary.set("b", 20);
    EXPECT_EQ(dictionary.indexForKey("b"), 1);
    dictionary.set("a", std::nullopt);
    EXPECT_EQ(pairsOf(dictionary), (std::vector<std::pair<std::string, int>>{{"b", 20}, {"c", 3}}));
    dictionary.set("d", 4);
    EXPECT_EQ(dictionary.indexForKey("d"), 2);
    EXPECT_EQ(dictionary.get("c"), 3);
    EXPECT_EQ(dictionary.get("a"), std::nullopt);
    EXPECT_EQ(dictionary.find("a"), nullptr);

    auto large = numbered(40);
    large.set("k3", std::nullopt);
    large.set("k39", std::nullopt);
    large.set("k40", 40);
    EXPECT_EQ(large.indexForKey("k4"), 3);
    expectEveryKeyFindsItsValue(large);
}

TEST(OrderedDictionaryKeyed, ReadingWithADefaultNeverInserts)
{
    const Dictionary dictionary{{"a", 1}};
    EXPECT_EQ(dictionary.get("b", [] { return 7; }), 7);
    EXPECT_EQ(dictionary.get("a", [] { return 7; }), 1);
    EXPECT_EQ(dictionary.count(), 1);
}

TEST(OrderedDictionaryKeyed, ModifyCommitsWhatTheBodyLeaves)
{
    for (const int size : {3, 30}) {
        SCOPED_TRACE(size);
        auto dictionary = numbered(size);
        dictionary.modify("k1", [](std::optional<int>& value) { *value += 100; });
        EXPECT_EQ(dictionary.indexForKey("k1"), 1);
        EXPECT_EQ(*dictionary.find("k1"), 101);
        dictionary.set("k1", 1);

        dictionary.modify("k0", [](std::optional<int>& value) { value.reset(); });
        EXPECT_EQ(dictionary.count(), size - 1);
        EXPECT_EQ(dictionary.indexForKey("k1"), 0);
        EXPECT_EQ(dictionary.elements()[size - 2].value, size - 1);
        expectEveryKeyFindsItsValue(dictionary);

        dictionary.modify("k0", [](std::optional<int>& value) {
            EXPECT_FALSE(value);
            value = 0;
        });
        EXPECT_EQ(dictionary.indexForKey("k0"), size - 1);
        expectEveryKeyFindsItsValue(dictionary);

        EXPECT_THROW(dictionary.modify("k2",
                                       [](std::optional<int>& value) {
                                           *value = 2000;
                                           throw std::runtime_error("body");
                                       }),
                     std::runtime_error);
        EXPECT_EQ(*dictionary.find("k2"), 2000);
        EXPECT_EQ(dictionary.indexForKey("k2"), 1);
    }
}

TEST(OrderedDictionaryKeyed, DefaultedUpdatesInsertOnlyAbsentKeys)
{
    Dictionary dictionary{{"a", 1}, {"b", 2}};
    const auto present = dictionary.updateValue(10, "b", 0);
    EXPECT_EQ(present.originalMember, 2);
    EXPECT_EQ(present.index, 1);
    const auto absent = dictionary.updateValue(3, "c", 1);
    EXPECT_EQ(absent.originalMember, std::nullopt);
    EXPECT_EQ(dictionary.indexForKey("c"), 1);
    EXPECT_EQ(dictionary.updateValue(4, "d"), std::nullopt);
    EXPECT_EQ(dictionary.updateValue(40, "d"), 4);

    const int doubled = dictionary.updateValue(
        "e", [] { return 5; }, 0, [](int& value) { return value *= 2; });
    EXPECT_EQ(doubled, 10);
    EXPECT_EQ(dictionary.indexForKey("e"), 0);
    dictionary.updateValue(
        "f", [] { return 6; }, [](int& value) { ++value; });
    EXPECT_EQ(pairsOf(dictionary).back(), (std::pair<std::string, int>("f", 7)));
    dictionary.modify(
        "a", [] { return 0; }, [](int& value) { value = -1; });
    EXPECT_EQ(*dictionary.find("a"), -1);

    // A throwing default changes nothing; a throwing body keeps the inserted default.
    EXPECT_THROW(dictionary.updateValue(
                     "g", []() -> int { throw std::runtime_error("default"); }, [](int&) {}),
                 std::runtime_error);
    EXPECT_FALSE(dictionary.contains("g"));
    EXPECT_THROW(dictionary.updateValue(
                     "g", [] { return 8; }, [](int&) { throw std::runtime_error("body"); }),
                 std::runtime_error);
    EXPECT_EQ(dictionary.get("g"), 8);
    EXPECT_EQ(dictionary.removeValue("g"), 8);
    EXPECT_EQ(dictionary.removeValue("g"), std::nullopt);
}

TEST(OrderedDictionaryKeyed, ValuesAreMovedNotCopiedWhileLent)
{
    OrderedDictionary<int, std::unique_ptr<int>> dictionary;
    dictionary.set(1, std::make_unique<int>(1));
    dictionary.set(2, std::make_unique<int>(2));
    int* const address = dictionary.find(1)->get();
    dictionary.modify(1, [](std::optional<std::unique_ptr<int>>& value) { **value = 10; });
    dictionary.updateValue(
        2, [] { return std::make_unique<int>(0); }, [](std::unique_ptr<int>& value) { ++*value; });
    EXPECT_EQ(dictionary.find(1)->get(), address);
    EXPECT_EQ(**dictionary.find(1), 10);
    EXPECT_EQ(**dictionary.find(2), 3);
}

TEST(OrderedDictionaryKeyed, MergeCombinesInPlaceAndAppendsNewKeys)
{
    const std::vector<std::pair<std::string, int>> pairs{{"a", 1}, {"b", 2}, {"a", 3}};
    const Dictionary receiver{{"b", 10}};
    const auto plus = [](int current, int added) { return current + added; };
    const auto merged = receiver.merging(pairs, plus);
    EXPECT_EQ(pairsOf(merged), (std::vector<std::pair<std::string, int>>{{"b", 12}, {"a", 4}}));
    EXPECT_EQ(receiver, (Dictionary{{"b", 10}}));

    Dictionary failing{{"b", 10}};
    EXPECT_THROW(failing.merge(pairs,
                               [](int current, int added) -> int {
                                   if (added == 3)
                                       throw std::runtime_error("combine");
                                   return current + added;
                               }),
                 std::runtime_error);
    EXPECT_EQ(pairsOf(failing), (std::vector<std::pair<std::string, int>>{{"b", 12}, {"a", 1}}));
}

TEST(OrderedDictionaryKeyed, TransformsKeepTheOrder)
{
    const auto dictionary = numbered(20);
    const auto odd = dictionary.filter([](const auto& pair) { return pair.value % 2 == 1; });
    EXPECT_EQ(odd.count(), 10);
    EXPECT_EQ(odd.elements()[0].key, "k1");
    expectEveryKeyFindsItsValue(odd);

    const auto names = dictionary.mapValues([](int value) { return std::to_string(value * 10); });
    EXPECT_EQ(*names.find("k19"), "190");
    EXPECT_EQ(names.keys(), dictionary.keys());

    const auto some = dictionary.compactMapValues(
        [](int value) { return value < 3 ? std::optional<double>(value / 2.0) : std::nullopt; });
    EXPECT_EQ(some.description(), R"(["k0": 0, "k1": 0.5, "k2": 1])");
    EXPECT_TRUE(dictionary.compactMapValues([](int) { return std::optional<int>(); }).isEmpty());
    EXPECT_TRUE(Dictionary().mapValues([](int value) { return value; }).isEmpty());
}

TEST(OrderedDictionaryKeyed, ACopyKeepsItsContents)
{
    auto dictionary = numbered(20);
    const auto copy = dictionary;
    dictionary.set("k5", std::nullopt);
    dictionary.set("k0", 100);
    EXPECT_EQ(copy, numbered(20));
    expectEveryKeyFindsItsValue(copy);

    auto moved = std::move(dictionary);
    EXPECT_TRUE(dictionary.isEmpty());
    EXPECT_EQ(moved.count(), 19);
}

} // namespace

namespace {

// A tree whose nodes hold dictionaries of nodes, as template objects nest.
struct Node {
    int value = 0;
    OrderedDictionary<std::string, Node> children;
    friend bool operator==(const Node&, const Node&) = default;
};

TEST(OrderedDictionaryKeyed, AValueMayHoldDictionariesOfItsOwnType)
{
    Node root;
    root.children.set("a", Node{1, {}});
    root.children.modify("a", [](std::optional<Node>& node) { node->children.set("b", Node{2, {}}); });
    const Node copy = root;
    EXPECT_EQ(copy, root);
    EXPECT_EQ(copy.children.find("a")->children.find("b")->value, 2);
}

} // namespace
