#include "OrderedCollections/OrderedSet/OrderedSet.h"
#include "OrderedCollections/OrderedSet/OrderedSetCoding.h"
#include "OrderedCollections/OrderedSet/OrderedSetDifference.h"
#include "Platform/JSON/JSONDocument.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <unordered_set>
#include <vector>

namespace {

using OrderedCollections::CollectionChange;
using OrderedCollections::OrderedSet;

TEST(OrderedSetConstruction, RepeatedElementsKeepTheirFirstPlace)
{
    EXPECT_EQ(OrderedSet<int>({1, 2, 1, 3, 2}).elements(), (std::vector<int>{1, 2, 3}));

    std::vector<int> twenty;
    for (int i = 0; i < 20; ++i)
        twenty.push_back(i * 3);
    twenty.push_back(0);
    const OrderedSet<int> set(twenty);
    EXPECT_EQ(set.count(), 20);
    EXPECT_EQ(set._scale(), 5);
    for (int i = 0; i < 20; ++i)
        EXPECT_EQ(set._find(i * 3).index, i);

    const std::unordered_set<int> standard{4, 5, 6};
    const OrderedSet<int> fromStandard(standard);
    EXPECT_EQ(fromStandard.elements(), std::vector<int>(standard.begin(), standard.end()));
    EXPECT_TRUE(OrderedSet<int>({}).isEmpty());
}

TEST(OrderedSetConstruction, AppendAndInsertReportWhereTheItemIs)
{
    OrderedSet<std::string> set{"a", "b", "c"};
    EXPECT_EQ(set.append("b"), (OrderedSet<std::string>::InsertResult{false, 1}));
    EXPECT_EQ(set.append("d"), (OrderedSet<std::string>::InsertResult{true, 3}));
    EXPECT_EQ(set.insert("c", 99), (OrderedSet<std::string>::InsertResult{false, 2}));
    EXPECT_EQ(set.insert("z", 0), (OrderedSet<std::string>::InsertResult{true, 0}));
    EXPECT_EQ(set.elements(), (std::vector<std::string>{"z", "a", "b", "c", "d"}));
    for (std::ptrdiff_t i = 0; i < set.count(); ++i)
        EXPECT_EQ(set._find(set[i]).index, i);

    set.appendContentsOf(std::vector<std::string>{"e", "a", "e", "f"});
    EXPECT_EQ(set.count(), 7);
    EXPECT_EQ(set.updateOrAppend("f"), "f");
    EXPECT_EQ(set.updateOrAppend("g"), std::nullopt);
    const auto updated = set.updateOrInsert("a", 0);
    EXPECT_EQ(updated.originalMember, "a");
    EXPECT_EQ(updated.index, 1);
    EXPECT_EQ(set.update("b", 2), "b");
}

TEST(OrderedSetConstructionDeathTest, ContractBreaksStop)
{
    OrderedSet<int> set{1, 2};
    EXPECT_DEATH(set.insert(3, 3), "");
    EXPECT_DEATH(set.update(1, 1), "");
    EXPECT_DEATH(set[2], "");
}

TEST(OrderedSetConstruction, EqualityAndHashingFollowTheOrder)
{
    const OrderedSet<std::string> ab{"a", "b"}, ba{"b", "a"};
    EXPECT_NE(ab, ba);
    EXPECT_EQ(ab, (OrderedSet<std::string>{"a", "b", "a"}));
    EXPECT_EQ(std::hash<OrderedSet<std::string>>{}(ab), std::hash<OrderedSet<std::string>>{}({"a", "b"}));
    EXPECT_NE(OrderedCollections::hashValue(ab), OrderedCollections::hashValue(ba));
}

template <class T>
std::string encoded(const T& value)
{
    rapidjson::Document document;
    const rapidjson::Value json = Platform::JSON::encode(value, document.GetAllocator());
    return Platform::JSON::serialize(json);
}

template <class T>
T decoded(const std::string& text)
{
    return Platform::JSON::decode<T>(Platform::JSON::parseDocument(text));
}

TEST(OrderedSetConstruction, CodingIsAnArrayThatMustNotRepeat)
{
    const OrderedSet<std::string> set{"c", "a", "b"};
    EXPECT_EQ(encoded(set), R"(["c","a","b"])");
    EXPECT_EQ(decoded<OrderedSet<std::string>>(encoded(set)), set);
    try {
        decoded<OrderedSet<int>>("[1, 2, 1]");
        FAIL() << "decoded a repeated element";
    } catch (const Platform::JSON::DecodingError& error) {
        EXPECT_STREQ(error.what(), "Decoded elements aren't unique (first duplicate at offset 2)");
    }
    EXPECT_THROW(decoded<OrderedSet<int>>(R"({"a": 1})"), Platform::JSON::DecodingError);
}

TEST(OrderedSetConstruction, DifferencesApplyToTheOldSet)
{
    using Change = CollectionChange<int>;
    const OrderedSet<int> before{1, 2, 3}, after{1, 3, 2};
    const auto changes = difference(after, before);
    ASSERT_EQ(changes.size(), 2u);
    EXPECT_EQ(changes[0], (Change{Change::Kind::remove, 1, 2, 2}));
    EXPECT_EQ(changes[1], (Change{Change::Kind::insert, 2, 2, 1}));
    EXPECT_EQ(applying(before, changes), after);

    EXPECT_EQ(applying(before, {Change{Change::Kind::insert, 0, 3, std::nullopt}}), std::nullopt);
    EXPECT_EQ(applying(before, {Change{Change::Kind::remove, 3, 9, std::nullopt}}), std::nullopt);
    const OrderedSet<int> other{4, 1, 5};
    EXPECT_EQ(applying(before, difference(other, before)), other);
}

TEST(OrderedSetConstruction, DescriptionsQuoteStrings)
{
    EXPECT_EQ((OrderedSet<std::string>{"a", "b"}).description(), R"(["a", "b"])");
    EXPECT_EQ((OrderedSet<int>{1, 2, 3}).description(), "[1, 2, 3]");
    std::ostringstream out;
    out << OrderedSet<int>{};
    EXPECT_EQ(out.str(), "[]");
    EXPECT_EQ(testing::PrintToString(OrderedSet<std::string>{"q\""}), R"(["q\""])");
}

} // namespace
