#include "OrderedCollections/HashTable/BucketIterator.h"
#include "OrderedCollections/HashTable/HashTable.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include <utility>

namespace {

using OrderedCollections::detail::Bucket;
using OrderedCollections::detail::BucketIterator;
using OrderedCollections::detail::HashTable;

TEST(HashTableLayout, ScaleForCapacityStepsAtThreeQuartersLoad)
{
    const std::pair<std::ptrdiff_t, int> cases[] = {{0, 0},  {15, 0}, {16, 5}, {24, 5}, {25, 6},
                                                    {48, 6}, {49, 7}, {96, 7}, {97, 8}};
    for (const auto& [capacity, scale] : cases)
        EXPECT_EQ(HashTable::scaleForCapacity(capacity), scale) << capacity;
    EXPECT_EQ(HashTable::maximumCapacity(5), 24);
    EXPECT_EQ(HashTable::maximumCapacity(4), 15);
    EXPECT_EQ(HashTable::minimumCapacity(6), 16);
    EXPECT_EQ(HashTable(8, 0).wordCount(), 32);
}

TEST(HashTableLayout, BucketsAcrossWordBoundariesReadBackAlikeBySubscriptAndIterator)
{
    HashTable table(5, 0);
    const auto handle = table.handle();
    ASSERT_EQ(table.wordCount(), 3);
    // Bucket 12 spans words 0 and 1, bucket 25 words 1 and 2, bucket 31 ends word 2.
    const std::pair<std::ptrdiff_t, std::ptrdiff_t> written[] = {{12, 7}, {25, 23}, {31, 0}};
    for (const auto& [bucket, offset] : written)
        handle.set(Bucket{bucket}, offset);

    for (const auto& [bucket, offset] : written) {
        EXPECT_EQ(handle[Bucket{bucket}], offset) << bucket;
        EXPECT_EQ(BucketIterator(handle, Bucket{bucket}).currentValue(), offset) << bucket;
    }
    // A walk from bucket 0 streams through the words and sees the same buckets.
    BucketIterator walk(handle, Bucket{0});
    for (std::ptrdiff_t bucket = 1; bucket < 32; ++bucket) {
        walk.advance();
        EXPECT_EQ(walk.currentValue(), handle[Bucket{bucket}]) << bucket;
    }
    EXPECT_EQ(handle.word(2) >> 32, 0u);
    EXPECT_EQ(handle.raw(Bucket{31}), 31u);
}

TEST(HashTableLayout, OffsetsAreStoredRelativeToTheBias)
{
    HashTable table(5, 0);
    const auto handle = table.handle();
    EXPECT_EQ(handle._bucketContents(0), 31u);
    EXPECT_EQ(handle._bucketContents(30), 1u);
    handle.setBias(1);
    EXPECT_EQ(handle._value(31), 1);
    EXPECT_EQ(handle._value(1), 0);
    EXPECT_EQ(handle._value(0), std::nullopt);

    handle.setBias(-1);
    EXPECT_EQ(table.bias(), 30);
    handle.setBias(31);
    EXPECT_EQ(table.bias(), 0);
    handle.setReservedScale(7);
    EXPECT_EQ(table.reservedScale(), 7);
    EXPECT_EQ(table.bias(), 0);
}

TEST(HashTableLayout, AnIteratorWrapsOnceToBucketZero)
{
    HashTable table(5, 0);
    const auto handle = table.handle();
    for (std::ptrdiff_t bucket : {30, 31, 0})
        handle.set(Bucket{bucket}, bucket % 5);
    BucketIterator it(handle, Bucket{30});
    it.advanceToNextUnoccupiedBucket();
    EXPECT_EQ(it.currentBucket(), Bucket{1});
}

TEST(HashTableLayoutDeathTest, ASecondWrapStopsTheProgram)
{
    HashTable table(5, 0);
    const auto handle = table.handle();
    for (std::ptrdiff_t bucket = 0; bucket < 32; ++bucket)
        handle.setRaw(Bucket{bucket}, 1);
    EXPECT_DEATH(BucketIterator(handle, Bucket{3}).advanceToNextUnoccupiedBucket(),
                 "Hash table has no unoccupied buckets");
}

TEST(HashTableLayout, ACopyKeepsHeaderAndBuckets)
{
    HashTable table(6, 6);
    table.handle().set(Bucket{40}, 3);
    table.handle().setBias(5);
    const HashTable copy = table.copy();
    EXPECT_EQ(copy.header().scaleAndSeed, table.header().scaleAndSeed);
    EXPECT_EQ(copy.header().reservedScaleAndBias, table.header().reservedScaleAndBias);
    EXPECT_TRUE(std::ranges::equal(copy.words(), table.words()));
    // A new table takes its seed from its own block.
    EXPECT_NE(HashTable(6, 6).seed(), table.seed());
    EXPECT_EQ(table.seed() & 63, 6);
}

TEST(HashTableLayout, DescriptionsListTheBucketsOfSmallTablesOnly)
{
    HashTable table(5, 0);
    table.handle().set(Bucket{1}, 0);
    const std::string text = table.description();
    EXPECT_EQ(text.rfind("_HashTable(scale: 5, reservedScale: 0, bias: 0, seed: ", 0), 0u) << text;
    EXPECT_NE(text.find(")\n  load factor: 0.03125\n  _ 0 _ _"), std::string::npos) << text;
    EXPECT_EQ(std::count(text.begin(), text.end(), '_'), 31 + 1);
    EXPECT_TRUE(HashTable(7, 0).description().ends_with("\n  load factor: 0"));
    EXPECT_EQ(Bucket{4}.description(), "Bucket(@4)");

    HashTable tiny(5, 2);
    tiny.handle().setBias(3);
    tiny.handle().set(Bucket{0}, 1);
    EXPECT_TRUE(
        tiny.header().description().starts_with("_HashTable.Header(scale: 5, reservedScale: 2, bias: 3, seed: "));
    // Bucket 0 holds offset 1; the other 59 bits of word 0 are pending, all empty.
    EXPECT_EQ(BucketIterator(tiny.handle(), Bucket{0}).description(),
              "BucketIterator(scale: 5, bucket:    0, value:    1, bits: " + std::string(59, '0') + " (59 bits))");
}

} // namespace
