#include "InternalCollectionsUtilities/IntegerBits.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

using namespace InternalCollectionsUtilities;

TEST(IntegerBits, RoundingUpToPowersOfTwo)
{
    const std::pair<std::int64_t, std::int64_t> cases[] = {{0, 0}, {-5, 0}, {1, 1}, {2, 2}, {3, 4}, {5, 8}, {9, 16}};
    for (const auto& [value, rounded] : cases)
        EXPECT_EQ(_roundUpToPowerOfTwo(value), rounded) << value;
    EXPECT_EQ(_roundUpToPowerOfTwo(std::uint8_t(200)), 0);
}

TEST(IntegerBits, RankAndSelect)
{
    const std::uint64_t word = 0b1011;
    EXPECT_EQ(_rank(word, 3), 2u);
    EXPECT_EQ(_rank(word, 0), 0u);
    EXPECT_EQ(_rank(word, 64), 0u);
    EXPECT_EQ(_nonzeroBitCount(word), 3u);
    const std::pair<std::int64_t, std::optional<std::uint64_t>> cases[] = {
        {0, 0}, {1, 1}, {2, 3}, {3, std::nullopt}, {-1, std::nullopt}};
    for (const auto& [rank, position] : cases) {
        EXPECT_EQ(_bit(word, rank), position) << rank;
        EXPECT_EQ(_bit(std::uint32_t(word), rank), position) << rank;
    }
    EXPECT_EQ(_bit(std::uint16_t(word), 65536), 0u);
    EXPECT_EQ(_bit(std::uint64_t(1) << 63, 0), 63u);
}

TEST(IntegerBits, FirstAndLastSetBitsCountFromOppositeEnds)
{
    EXPECT_EQ(_firstSetBit(0b1011), 3u);
    EXPECT_EQ(_lastSetBit(0b1011), 0u);
    EXPECT_EQ(_firstSetBit(0), std::nullopt);
    EXPECT_EQ(_lastSetBit(0), std::nullopt);
    EXPECT_EQ(_reversed(1), std::uint64_t(1) << 63);
    EXPECT_EQ(_reversed(0x0123456789abcdefULL), 0xf7b3d591e6a2c480ULL);
}

} // namespace
