#include "InternalCollectionsUtilities/BitSet/TemporaryBitSet.h"
#include "InternalCollectionsUtilities/BitSet/UnsafeBitSet.h"

#include <gtest/gtest.h>

#include <array>
#include <stdexcept>
#include <vector>

namespace {

using InternalCollectionsUtilities::detail::BitSetWord;
using InternalCollectionsUtilities::detail::UnsafeBitSet;
using Index = UnsafeBitSet::Index;

TEST(UnsafeBitSet, WordCountsAndBoundsOfTheLastWord)
{
    const std::pair<std::uint64_t, std::int64_t> cases[] = {{0, 0}, {1, 1}, {64, 1}, {65, 2}};
    for (const auto& [capacity, words] : cases)
        EXPECT_EQ(UnsafeBitSet::wordCount(capacity), words) << capacity;

    std::array<std::uint64_t, 3> words{};
    UnsafeBitSet bits(words);
    EXPECT_TRUE(bits.update(130, true));
    EXPECT_FALSE(bits.update(5, true));
    EXPECT_EQ(bits.count(), 2);
    bits.insertAll(130);
    EXPECT_EQ(words, (std::array<std::uint64_t, 3>{~0ULL, ~0ULL, 7}));
    EXPECT_FALSE(bits.contains(200));
    EXPECT_FALSE(bits.remove(200));

    UnsafeBitSet none({});
    EXPECT_EQ(none.capacity(), 0u);
    EXPECT_TRUE(none.isEmpty());
    EXPECT_EQ(none.startIndex(), none.endIndex());
    EXPECT_FALSE(none.remove(3));
}

TEST(UnsafeBitSet, WalksMembersInAscendingOrder)
{
    std::array<std::uint64_t, 2> words{};
    UnsafeBitSet bits(words);
    for (std::uint64_t member : {70, 3, 64})
        EXPECT_TRUE(bits.insert(member));
    EXPECT_EQ(bits.members(), (std::vector<std::uint64_t>{3, 64, 70}));
    EXPECT_EQ(bits.startIndex(), Index{3});
    EXPECT_EQ(bits.indexAfter(Index{3}), Index{64});
    EXPECT_EQ(bits.indexAfter(Index{70}), bits.endIndex());
    EXPECT_EQ(bits.indexBefore(Index{64}), Index{3});
    EXPECT_EQ(bits.indexBefore(bits.endIndex()), Index{70});
    EXPECT_EQ(bits.distance(Index{70}, Index{3}), -2);
    EXPECT_EQ(bits.distance(Index{3}, bits.endIndex()), 3);
    EXPECT_EQ(bits.index(Index{3}, 2), Index{70});
    EXPECT_EQ(bits.index(Index{3}, 3), bits.endIndex());
    EXPECT_EQ(bits.index(bits.endIndex(), -3), Index{3});
    EXPECT_EQ(bits.index(Index{3}, 2, Index{64}), std::nullopt);
    EXPECT_EQ(bits.index(Index{3}, 1, Index{64}), Index{64});
    EXPECT_EQ(bits.index(Index{70}, -2, Index{64}), std::nullopt);
    EXPECT_EQ(bits.index(Index{3}, 4, Index{64}), std::nullopt);
}

TEST(UnsafeBitSetDeathTest, WalkingPastTheMembersStops)
{
    std::array<std::uint64_t, 2> words{1ULL << 3, (1ULL << 0) | (1ULL << 6)};
    UnsafeBitSet bits(words);
    EXPECT_DEATH(bits.index(Index{3}, 4), "");
    EXPECT_DEATH(bits.indexBefore(Index{3}), "");
    EXPECT_DEATH(bits.indexAfter(bits.endIndex()), "");
}

TEST(UnsafeBitSet, WordOperations)
{
    EXPECT_EQ(BitSetWord::upTo(0).value, 0u);
    EXPECT_TRUE(BitSetWord::upTo(64).isFull());
    EXPECT_EQ(BitSetWord::fromTo(3, 7).value, 0x78u);
    BitSetWord word(0b1011);
    word.removeAllThrough(0);
    EXPECT_EQ(word.value, 0b1010u);
    EXPECT_EQ(word.shiftedUp(65).value, 0b10100u);
    EXPECT_EQ(BitSetWord(0xff).description(), "ff");

    std::uint64_t n = 5;
    EXPECT_EQ(BitSetWord(0b10110).nthElement(n), std::nullopt);
    EXPECT_EQ(n, 2u);
    n = 1;
    EXPECT_EQ(BitSetWord(0b10110).nthElement(n), 2u);
    n = 0;
    EXPECT_EQ(BitSetWord(0b10110).nthElementFromEnd(n), 4u);

    BitSetWord members(0b1001);
    EXPECT_EQ(members.next(), 0u);
    EXPECT_EQ(members.next(), 3u);
    EXPECT_EQ(members.next(), std::nullopt);
}

TEST(UnsafeBitSet, TemporaryBitSetsStartEmptyOnTheStackAndOnTheHeap)
{
    for (std::int64_t words : {0, 128, 129}) {
        const auto count =
            InternalCollectionsUtilities::detail::withTemporaryBitSetOfWords(words, [&](UnsafeBitSet& bits) {
                EXPECT_EQ(bits.wordCount(), words);
                EXPECT_TRUE(bits.isEmpty());
                if (words > 0)
                    bits.insert(static_cast<std::uint64_t>(words * 64 - 1));
                return bits.count();
            });
        EXPECT_EQ(count, words > 0 ? 1 : 0);
    }
    EXPECT_EQ(InternalCollectionsUtilities::detail::withTemporaryBitSet(
                  65, [](UnsafeBitSet& bits) { return bits.wordCount(); }),
              2);
    EXPECT_THROW(InternalCollectionsUtilities::detail::withTemporaryBitSet(
                     10, [](UnsafeBitSet&) -> int { throw std::runtime_error("body"); }),
                 std::runtime_error);
}

} // namespace
