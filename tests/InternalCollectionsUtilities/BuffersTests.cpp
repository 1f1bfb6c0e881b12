#include "InternalCollectionsUtilities/Buffers.h"

#include <gtest/gtest.h>

#include <array>
#include <string>

namespace {

using namespace InternalCollectionsUtilities;

TEST(Buffers, CopiesFillTheFrontOfTheTarget)
{
    std::array<int, 5> target{0, 0, 0, 9, 9};
    const std::array<int, 3> source{1, 2, 3};
    EXPECT_EQ(_initializePrefix(std::span<int>(target), std::span<const int>(source)), 3);
    EXPECT_EQ(target, (std::array<int, 5>{1, 2, 3, 9, 9}));

    std::span<int> rest(target);
    _initializeAndDropPrefix(rest, std::span<const int>(source).first(2));
    EXPECT_EQ(rest.data(), target.data() + 2);
    EXPECT_EQ(rest.size(), 3u);

    std::array<int, 10> wide{};
    EXPECT_EQ(initialize(BufferSlice<int>{wide, 4, 10}, std::span<const int>(source)), 7);
    EXPECT_EQ(wide[6], 3);
}

TEST(Buffers, MovesLeaveTheSourceEmpty)
{
    alignas(std::string) unsigned char raw[2 * sizeof(std::string)];
    std::span<std::string> target(reinterpret_cast<std::string*>(raw), 2);
    auto* source = new std::string[2]{"a long string that owns a heap block", "b"};
    auto* slots = static_cast<std::string*>(::operator new(2 * sizeof(std::string)));
    std::uninitialized_move_n(source, 2, slots);
    delete[] source;
    moveInitializeAll(target, std::span<std::string>(slots, 2));
    ::operator delete(slots);
    EXPECT_EQ(target[0], "a long string that owns a heap block");
    EXPECT_EQ(target[1], "b");
    std::destroy_n(target.data(), 2);
}

TEST(Buffers, Identity)
{
    std::array<int, 4> storage{};
    EXPECT_FALSE(_isIdentical(std::span<int>(storage), std::span<int>(storage).first(3)));
    EXPECT_TRUE(_isIdentical(std::span<int>(), std::span<int>()));
}

TEST(BuffersDeathTest, ATargetTooSmallStops)
{
    std::array<int, 2> target{};
    const std::array<int, 3> source{1, 2, 3};
    EXPECT_DEATH(_initializePrefix(std::span<int>(target), std::span<const int>(source)), "");
    EXPECT_DEATH(initializeAll(std::span<int>(target), std::span<const int>(source)), "");
}

} // namespace
