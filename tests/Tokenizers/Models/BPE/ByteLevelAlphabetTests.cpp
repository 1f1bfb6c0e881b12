#include "Tokenizers/Models/BPE/ByteLevelAlphabet.h"

#include "Platform/Text/UnicodeScalars.h"

#include <gtest/gtest.h>

using namespace Tokenizers;

TEST(ByteLevelAlphabet, GivesEveryByteAPrintableCharacterOfItsOwn)
{
    const std::pair<int, char32_t> cases[] = {
        {0, U'\u0100'},   {32, U'\u0120'},  {33, U'!'},       {126, U'~'},      {127, U'\u0121'},
        {160, U'\u0142'}, {161, U'\u00A1'}, {172, U'\u00AC'}, {173, U'\u0143'}, {255, U'\u00FF'},
    };
    for (const auto& [byte, character] : cases) {
        EXPECT_EQ(Platform::unicodeScalars(byteEncoder()[byte]), std::u32string(1, character)) << byte;
        EXPECT_EQ(byteDecoder().at(character), byte);
    }
    for (int byte = 0; byte < 256; ++byte) {
        const std::u32string character = Platform::unicodeScalars(byteEncoder()[byte]);
        ASSERT_EQ(character.size(), 1u);
        EXPECT_EQ(byteDecoder().at(character.front()), byte);
    }
    EXPECT_EQ(byteDecoder().size(), 256u);
}
