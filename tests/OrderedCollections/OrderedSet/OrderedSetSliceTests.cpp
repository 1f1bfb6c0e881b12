#include "OrderedCollections/OrderedSet/NumberedSet.h"
#include "OrderedCollections/OrderedSet/OrderedSet.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using OrderedCollections::OffsetRange;
using OrderedCollections::OrderedSet;

TEST(OrderedSetSlice, PositionsAreTheSetsOffsets)
{
    const OrderedSet<std::string> set{"a", "b", "c", "d"};
    const auto slice = set[OffsetRange{1, 3}];
    EXPECT_EQ(slice.startIndex(), 1);
    EXPECT_EQ(slice.endIndex(), 3);
    EXPECT_EQ(slice.count(), 2);
    EXPECT_EQ(slice[2], "c");
    EXPECT_EQ(slice._index("c"), 2);
    EXPECT_EQ(slice._index("d"), std::nullopt);
    EXPECT_FALSE(slice.contains("d"));
    EXPECT_EQ(slice.fastContains("a"), false);
    EXPECT_EQ(slice.description(), R"(["b", "c"])");
    EXPECT_EQ((slice[OffsetRange{2, 3}]).count(), 1);

    // Larger sets answer through the index.
    const auto numbers = OrderedCollectionsTests::setOf(40);
    const auto middle = numbers[OffsetRange{10, 20}];
    EXPECT_EQ(middle.firstIndex(15), 15);
    EXPECT_EQ(middle.lastIndex(25), std::nullopt);
}

TEST(OrderedSetSlice, SlicesCompareAndHashTheirElementsInOrder)
{
    const OrderedSet<std::string> xyz{"x", "y", "z"}, wxy{"w", "x", "y"};
    const auto a = xyz[OffsetRange{0, 2}], b = wxy[OffsetRange{1, 3}];
    EXPECT_EQ(a, b);
    EXPECT_EQ(seededHash(a, 3), seededHash(b, 3));
    EXPECT_NE(a, (xyz[OffsetRange{1, 3}]));
}

TEST(OrderedSetSliceDeathTest, ReadsOutsideTheBoundsStop)
{
    const OrderedSet<std::string> set{"a", "b", "c", "d"};
    const auto slice = set[OffsetRange{1, 3}];
    EXPECT_DEATH(slice[0], "");
    EXPECT_DEATH(slice[3], "");
    EXPECT_DEATH(set[(OffsetRange{2, 5})], "");
    // Slicing a slice beyond the base stops at the first read.
    const auto wide = slice[OffsetRange{2, 6}];
    EXPECT_DEATH(wide.elements(), "");
}

TEST(OrderedSetTestingHooks, ExactGeometryGivesTheRequestedIndex)
{
    const auto plain = OrderedSet<int>::withExactGeometry(0, 0, {1, 2});
    EXPECT_EQ(plain.unstable().scale(), 0);
    EXPECT_TRUE(plain.unstable().hashTableContents().empty());

    const auto biased = OrderedSet<int>::withExactGeometry(5, 3, {1, 2});
    const auto internals = biased.unstable();
    EXPECT_EQ(internals.scale(), 5);
    EXPECT_EQ(internals.bias(), 3);
    EXPECT_EQ(internals.capacity(), 24);
    EXPECT_EQ(internals.reservedScale(), 0);
    const auto contents = internals.hashTableContents();
    EXPECT_EQ(contents.size(), 32u);
    EXPECT_EQ(std::ranges::count_if(contents, [](const auto& offset) { return offset.has_value(); }), 2);
    OrderedCollectionsTests::expectEveryElementFound(biased);
    EXPECT_FALSE(decltype(internals)::isConsistencyCheckingEnabled);
}

TEST(OrderedSetTestingHooksDeathTest, ImpossibleGeometriesStop)
{
    EXPECT_DEATH(OrderedSet<int>::withExactGeometry(3, 0, {1, 2}), "");
    EXPECT_DEATH(OrderedSet<int>::withExactGeometry(5, 31, {1, 2}), "");
    EXPECT_DEATH(OrderedSet<int>::withExactGeometry(5, 1, {1, 1}), "");
    EXPECT_DEATH(OrderedSet<int>::withExactGeometry(0, 0, std::vector<int>(20, 0)), "");
}

} // namespace
