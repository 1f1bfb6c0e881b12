#include "Platform/UUID.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

using Platform::UUID;

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
