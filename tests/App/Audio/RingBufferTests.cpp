#include "App/Audio/RingBuffer.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using QEL::RingBuffer;
using testing::ElementsAre;
using testing::IsEmpty;

TEST(RingBuffer, KeepsTheMostRecentElementsOldestFirst)
{
    RingBuffer<float> ring(0.25, 16.0); // capacity 4
    ASSERT_EQ(ring.capacity(), 4u);
    EXPECT_THAT(ring.readLast(3), IsEmpty());

    ring.write({1, 2, 3});
    EXPECT_THAT(ring.readLast(10), ElementsAre(1, 2, 3));
    ring.write({4, 5, 6});
    EXPECT_EQ(ring.count(), 4u);
    EXPECT_THAT(ring.readLast(4), ElementsAre(3, 4, 5, 6));
    EXPECT_THAT(ring.readLast(2), ElementsAre(5, 6));
    EXPECT_THAT(ring.readLast(0), IsEmpty());

    ring.clear();
    EXPECT_THAT(ring.readLast(4), IsEmpty());
    ring.write({7});
    EXPECT_THAT(ring.readLast(4), ElementsAre(7));
}

TEST(RingBuffer, CapacityIsTruncatedDurationTimesRate)
{
    EXPECT_EQ(RingBuffer<float>(0.5, 16000.0).capacity(), 8000u);
    EXPECT_EQ(RingBuffer<float>(0.09, 10.0).capacity(), 0u);
    RingBuffer<float> none(0.09, 10.0);
    none.write({1, 2}); // nowhere to store, and no division by zero
    EXPECT_THAT(none.readLast(1), IsEmpty());
}
