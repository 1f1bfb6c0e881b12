#include "Hub/Crypto/ConstantTimeCompare.h"

#include <gtest/gtest.h>

#include <array>
#include <list>
#include <string>
#include <vector>

using namespace Hub;

namespace {

// Bytes whose reads are counted.
struct CountedBytes {
    std::vector<std::uint8_t> bytes;
    mutable int reads = 0;

    struct Iterator {
        using value_type = std::uint8_t;
        using difference_type = std::ptrdiff_t;
        const CountedBytes* owner = nullptr;
        size_t index = 0;
        std::uint8_t operator*() const
        {
            ++owner->reads;
            return owner->bytes[index];
        }
        Iterator& operator++()
        {
            ++index;
            return *this;
        }
        Iterator operator++(int)
        {
            Iterator old = *this;
            ++index;
            return old;
        }
        bool operator==(const Iterator& other) const { return index == other.index; }
    };
    Iterator begin() const { return {this, 0}; }
    Iterator end() const { return {this, bytes.size()}; }
};

} // namespace

TEST(ConstantTimeCompareTest, VisitsEveryByteWhereverTheDifferenceIs)
{
    for (size_t differing : {size_t{0}, size_t{7}}) {
        CountedBytes first{{1, 2, 3, 4, 5, 6, 7, 8}};
        CountedBytes second = first;
        second.bytes[differing] ^= 0x80;
        EXPECT_FALSE(constantTimeCompare(first, second)) << "byte " << differing;
        EXPECT_EQ(first.reads, 8);
        EXPECT_EQ(second.reads, 8);
    }
    CountedBytes shorter{{1, 2}};
    CountedBytes longer{{1, 2, 3}};
    EXPECT_FALSE(constantTimeCompare(shorter, longer));
    EXPECT_EQ(shorter.reads + longer.reads, 0);
}

TEST(ConstantTimeCompareTest, ComparesContainersOfDifferentKinds)
{
    EXPECT_TRUE(constantTimeCompare(std::vector<std::uint8_t>{}, std::list<std::uint8_t>{}));
    EXPECT_TRUE(constantTimeCompare(std::vector<std::uint8_t>{9, 8}, std::list<std::uint8_t>{9, 8}));
    EXPECT_TRUE(openSSLSafeCompare(std::string("token"), std::array{'t', 'o', 'k', 'e', 'n'}));
    EXPECT_FALSE(openSSLSafeCompare(std::string("token"), std::string("tokem")));
    // Raw bytes, so a wider element compares by its representation.
    EXPECT_TRUE(openSSLSafeCompare(std::vector<std::uint16_t>{0x0102}, std::array<std::uint8_t, 2>{0x02, 0x01}));
}
