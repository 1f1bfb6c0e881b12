#include "OrderedCollections/OrderedDictionary/OrderedDictionary.h"
#include "OrderedCollections/OrderedDictionary/OrderedDictionaryCoding.h"
#include "Platform/JSON/JSONDocument.h"

#include <gtest/gtest.h>

#include <string>
#include <unordered_map>
#include <vector>

namespace {

using OrderedCollections::OrderedDictionary;
using Dictionary = OrderedDictionary<std::string, int>;

TEST(OrderedDictionaryConstruction, BuildersKeepTheFirstOccurrenceOrder)
{
    const auto groups = OrderedDictionary<std::string, std::vector<int>>::grouping(
        std::vector<int>{1, 2, 3, 4}, [](int i) { return i % 2 ? std::string("odd") : std::string("even"); });
    EXPECT_EQ(groups.description(), R"(["odd": [1, 3], "even": [2, 4]])");

    const std::vector<std::pair<std::string, int>> pairs{{"a", 1}, {"b", 2}, {"a", 3}};
    const auto keepFirst = Dictionary::uniquingKeysWith(pairs, [](int current, int) { return current; });
    EXPECT_EQ(keepFirst, (Dictionary{{"a", 1}, {"b", 2}}));

    const auto zipped = Dictionary::uniqueKeys({"a", "b", "c"}, {1, 2, 3});
    EXPECT_EQ(zipped.description(), R"(["a": 1, "b": 2, "c": 3])");
    std::vector<std::string> keys;
    std::vector<int> values;
    for (int i = 0; i < 20; ++i) {
        keys.push_back(std::to_string(i));
        values.push_back(i);
    }
    const auto unchecked = Dictionary::uncheckedUniqueKeys(keys, values);
    EXPECT_EQ(unchecked.keys()._scale(), 5);
    EXPECT_EQ(unchecked, Dictionary::uniqueKeys(keys, values));
    EXPECT_EQ(*unchecked.find("17"), 17);

    const std::unordered_map<std::string, int> standard{{"x", 1}, {"y", 2}, {"z", 3}};
    const auto fromStandard = Dictionary::uniqueKeysWithValues(standard);
    std::vector<std::string> standardOrder;
    for (const auto& [key, value] : standard)
        standardOrder.push_back(key);
    EXPECT_EQ(fromStandard.keys().elements(), standardOrder);
    EXPECT_EQ(Dictionary::uncheckedUniqueKeysWithValues(pairs).count(), 3);
    EXPECT_TRUE(Dictionary::withMinimumCapacity(100, true).keys()._reservedScale() == 8);
}

TEST(OrderedDictionaryConstructionDeathTest, RepeatedKeysAndUnequalCountsStop)
{
    EXPECT_DEATH(Dictionary::uniqueKeys({"a", "b", "a"}, {1, 2, 3}), "");
    EXPECT_DEATH(Dictionary::uniqueKeys({"a", "b"}, {1}), "");
    EXPECT_DEATH((Dictionary{{"a", 1}, {"a", 2}}), "");
    EXPECT_DEATH(Dictionary::uncheckedUniqueKeys({"a"}, {1, 2}), "");
}

TEST(OrderedDictionaryConstructionDeathTest, RetiredMembersStopWithTheirMessage)
{
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    Dictionary dictionary{{"a", 1}};
    EXPECT_DEATH(dictionary.subscriptOffset(0), "Fatal error");
    EXPECT_DEATH(dictionary.modifyValue(
                     "a", [] { return 0; }, [](int&) {}),
                 "Fatal error");
    EXPECT_DEATH(dictionary.modifyValue(
                     "a", [] { return 0; }, 0, [](int&) {}),
                 "Fatal error");
#pragma GCC diagnostic pop
}

TEST(OrderedDictionaryConstruction, EqualityAndHashingFollowTheOrder)
{
    const Dictionary ab{{"a", 1}, {"b", 2}}, ba{{"b", 2}, {"a", 1}};
    EXPECT_NE(ab, ba);
    EXPECT_NE(ab, (Dictionary{{"a", 1}, {"b", 3}}));
    EXPECT_EQ(OrderedCollections::hashValue(ab), OrderedCollections::hashValue(Dictionary{{"a", 1}, {"b", 2}}));
    EXPECT_NE(OrderedCollections::hashValue(ab), OrderedCollections::hashValue(ba));
}

Dictionary decoded(const std::string& text)
{
    return Platform::JSON::decode<Dictionary>(Platform::JSON::parseDocument(text));
}

TEST(OrderedDictionaryConstruction, CodingIsAFlatArrayOfKeysAndValues)
{
    const Dictionary dictionary{{"b", 2}, {"a", 1}};
    rapidjson::Document document;
    const std::string text = Platform::JSON::serialize(Platform::JSON::encode(dictionary, document.GetAllocator()));
    EXPECT_EQ(text, R"(["b",2,"a",1])");
    EXPECT_EQ(decoded(text), dictionary);
    EXPECT_TRUE(decoded("[]").isEmpty());

    const std::pair<const char*, const char*> failures[] = {
        {R"(["k", 1, "k", 2])", "Duplicate key at offset 2"},
        {R"(["k"])", "Unkeyed container reached end before value in key-value pair"},
        {R"(["k", 1, "k"])", "Duplicate key at offset 2"},
    };
    for (const auto& [input, message] : failures) {
        try {
            decoded(input);
            ADD_FAILURE() << input;
        } catch (const Platform::JSON::DecodingError& error) {
            EXPECT_STREQ(error.what(), message) << input;
        }
    }
    try {
        decoded(R"(["k", "v"])");
        ADD_FAILURE();
    } catch (const Platform::JSON::DecodingError& error) {
        EXPECT_EQ(error.codingPath(), std::vector<std::string>{"1"});
    }
}

TEST(OrderedDictionaryConstruction, Descriptions)
{
    EXPECT_EQ((Dictionary{{"a", 1}, {"b", 2}}).description(), R"(["a": 1, "b": 2])");
    EXPECT_EQ(Dictionary().description(), "[:]");
    EXPECT_EQ((Dictionary{}).description(), "[:]");
    EXPECT_EQ(testing::PrintToString(Dictionary{{"q", 0}}), R"(["q": 0])");
}

} // namespace
