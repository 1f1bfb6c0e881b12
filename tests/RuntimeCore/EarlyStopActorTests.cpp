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
