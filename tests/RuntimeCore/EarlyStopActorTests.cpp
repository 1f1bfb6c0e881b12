#include "RuntimeCore/EarlyStopActor.h"

#include <gtest/gtest.h>
#include <set>

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

TEST(UUID, RandomIdentifiersAreVersionFourAndDistinct)
{
    std::set<std::string> texts;
    for (int i = 0; i < 1000; ++i) {
        std::string text = UUID::random().uuidString();
        ASSERT_EQ(text.size(), 36u);
        for (size_t dash : {8u, 13u, 18u, 23u})
            EXPECT_EQ(text[dash], '-') << text;
        EXPECT_EQ(text[14], '4') << text;
        EXPECT_NE(std::string("89AB").find(text[19]), std::string::npos) << text;
        EXPECT_EQ(text.find_first_not_of("0123456789ABCDEF-"), std::string::npos) << text;
        texts.insert(text);
    }
    EXPECT_EQ(texts.size(), 1000u);
}
