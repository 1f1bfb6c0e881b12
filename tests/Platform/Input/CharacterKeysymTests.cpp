#include "Platform/Input/CharacterKeysym.h"

#include <X11/keysym.h>
#include <gtest/gtest.h>

TEST(CharacterKeysym, CharactersBeyondLatin1HaveUnicodeSymbols)
{
    EXPECT_EQ(Platform::keysymForCodePoint(U'a'), XK_a);
    EXPECT_EQ(Platform::keysymForCodePoint(U' '), XK_space);
    EXPECT_EQ(Platform::keysymForCodePoint(U'ö'), XK_odiaeresis);
    EXPECT_EQ(Platform::keysymForCodePoint(U'\u00a0'), XK_nobreakspace);
    EXPECT_EQ(Platform::keysymForCodePoint(U'€'), 0x010020acu);
    EXPECT_EQ(Platform::keysymForCodePoint(U'😀'), 0x0101f600u);
}
