#include "RuntimeCore/EarlyStopActor.h"

#include <gtest/gtest.h>

using Platform::UUID;

TEST(EarlyStopActor, FlagsLiveFromSetUntilRemoved)
{
    RuntimeCore::EarlyStopActor actor;
    const UUID stopped = UUID::random();
    const UUID running = UUID::random();
    const UUID unknown = UUID::random();

    EXPECT_FALSE(actor.get(unknown));
    EXPECT_EQ(actor.remove(unknown), std::nullopt);

    actor.set(false, stopped);
    actor.set(true, stopped);
    actor.set(false, running);
    EXPECT_TRUE(actor.get(stopped));
    EXPECT_FALSE(actor.get(running));
    EXPECT_FALSE(actor.get(unknown));

    EXPECT_EQ(actor.remove(stopped), true);
    EXPECT_EQ(actor.remove(stopped), std::nullopt);
    EXPECT_FALSE(actor.get(stopped));
    EXPECT_EQ(actor.remove(running), false);
}

TEST(EarlyStopActor, AReplacedFlagNeverOutlivesItsWindow)
{
    RuntimeCore::EarlyStopActor actor;
    const UUID window = UUID::random();
    EXPECT_FALSE(actor.replace(true, window));
    EXPECT_EQ(actor.count(), 0u);

    actor.set(false, window);
    EXPECT_TRUE(actor.replace(true, window));
    EXPECT_TRUE(actor.get(window));
    EXPECT_EQ(actor.count(), 1u);
    actor.remove(window);
    EXPECT_FALSE(actor.replace(true, window));
    EXPECT_EQ(actor.count(), 0u);
}
