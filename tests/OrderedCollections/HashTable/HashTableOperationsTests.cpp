#include "OrderedCollections/HashTable/Maintenance.h"
#include "OrderedCollections/OrderedSet/OrderedSet.h"
#include "OrderedCollections/TestElements.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

using namespace OrderedCollections::detail;
using OrderedCollections::OrderedSet;
using OrderedCollectionsTests::Pinned;

// A scale-5 table over the elements, filled in order.
struct PinnedTable {
    std::vector<Pinned> elements;
    HashTable table{5, 0};

    explicit PinnedTable(std::vector<Pinned> pinned) : elements(std::move(pinned))
    {
        fillUncheckedUniqueElements(table.handle(), std::span<const Pinned>(elements));
    }
    FindResult find(const Pinned& item) const { return _find(table.handle(), item, std::span<const Pinned>(elements)); }
    void remove(std::ptrdiff_t offset)
    {
        deleteBucket(table.handle(), find(elements[offset]).bucket,
                     [&](std::ptrdiff_t at, std::int64_t) { return elements[at].bucket; });
    }
};

TEST(HashTableOperations, AnAbsentItemFindsTheBucketWhereItWouldGo)
{
    PinnedTable table({{1, 4}, {2, 4}});
    const Pinned absent{3, 4};
    const auto found = table.find(absent);
    EXPECT_EQ(found.index, std::nullopt);
    EXPECT_EQ(found.bucket, Bucket{6});
    table.elements.push_back(absent);
    table.table.handle().set(found.bucket, 2);
    EXPECT_EQ(table.find(absent).index, 2);
    EXPECT_EQ(table.find(absent).bucket, Bucket{6});
}

TEST(HashTableOperations, DeletionAcrossTheWrapMovesEntriesBack)
{
    // Buckets 30, 31, 0 and 1, the last two wrapped from ideal buckets 30 and 31.
    PinnedTable table({{1, 30}, {2, 30}, {3, 31}, {4, 31}, {5, 1}});
    EXPECT_EQ(table.find({4, 31}).bucket, Bucket{1});
    table.remove(0);
    for (std::ptrdiff_t offset = 1; offset < 5; ++offset)
        EXPECT_EQ(table.find(table.elements[offset]).index, offset) << offset;
    EXPECT_EQ(table.find({1, 30}).index, std::nullopt);
    EXPECT_EQ(table.find({4, 31}).bucket, Bucket{0});
    EXPECT_EQ(table.find({5, 1}).bucket, Bucket{1});
}

TEST(HashTableOperations, DeletionBeforeEntriesInTheirIdealBucketsMovesNothing)
{
    PinnedTable table({{1, 3}, {2, 4}, {3, 5}});
    table.remove(0);
    EXPECT_EQ(table.table.handle().debugContents()[3], std::nullopt);
    EXPECT_EQ(table.find({2, 4}).bucket, Bucket{4});
    EXPECT_EQ(table.find({3, 5}).bucket, Bucket{5});
}

TEST(HashTableOperations, FillingStopsAtTheFirstRepeat)
{
    const std::vector<std::string> elements{"a", "b", "a"};
    HashTable table(5, 0);
    const auto result = fillUntilFirstDuplicate(table.handle(), std::span<const std::string>(elements));
    EXPECT_FALSE(result.success);
    EXPECT_EQ(result.end, 2);
    const std::span<const std::string> placed(elements.data(), 2);
    EXPECT_EQ(_find(table.handle(), std::string("a"), placed).index, 0);
    EXPECT_EQ(_find(table.handle(), std::string("b"), placed).index, 1);
}

// The buckets of a table before and after a change, by bucket number.
std::ptrdiff_t rewrittenBuckets(const std::vector<std::optional<std::ptrdiff_t>>& before,
                                const std::vector<std::optional<std::ptrdiff_t>>& after, std::ptrdiff_t biasShift)
{
    std::ptrdiff_t rewritten = 0;
    for (std::size_t b = 0; b < before.size(); ++b)
        if (before[b] && after[b] != *before[b] + biasShift)
            ++rewritten;
    return rewritten;
}

OrderedSet<std::int64_t> setOf(std::int64_t count)
{
    OrderedSet<std::int64_t> set;
    for (std::int64_t i = 0; i < count; ++i)
        set.append(i * 7);
    return set;
}

TEST(HashTableOperations, InsertionShiftsTheShorterSide)
{
    const auto set = setOf(20);
    const std::span<const std::int64_t> elements(set.elements());

    HashTable front = *set._table();
    adjustContentsForInsertion(front.handle(), 0, elements);
    EXPECT_EQ(front.bias(), set._bias() + 1);
    EXPECT_TRUE(std::ranges::equal(front.words(), set._table()->words()));

    HashTable back = *set._table();
    const auto beforeBack = back.handle().debugContents();
    adjustContentsForInsertion(back.handle(), 19, elements);
    EXPECT_EQ(back.bias(), set._bias());
    EXPECT_EQ(rewrittenBuckets(beforeBack, back.handle().debugContents(), 0), 1);
    EXPECT_EQ(back.handle()[set._bucket(19)], 20);
}

TEST(HashTableOperations, RemovingAFrontRangeMovesTheBias)
{
    const auto set = setOf(30);
    const std::span<const std::int64_t> elements(set.elements());
    HashTable table = *set._table();
    const auto handle = table.handle();
    for (std::ptrdiff_t offset = 0; offset < 3; ++offset)
        deleteBucket(handle, set._bucket(offset), [&](std::ptrdiff_t at, std::int64_t seed) {
            return OrderedCollections::seededHash(elements[at], seed);
        });
    adjustContentsForRemoval(handle, 0, 3, elements);
    EXPECT_EQ(table.bias(), (set._bias() - 3 + 63) % 63);
    const std::span<const std::int64_t> remaining = elements.subspan(3);
    for (std::ptrdiff_t offset = 0; offset < 27; ++offset)
        EXPECT_EQ(_find(handle, remaining[offset], remaining).index, offset);
}

} // namespace
