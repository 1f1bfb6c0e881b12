#include "RadozodEri/Core/Constants.h"

#include "Platform/Text/UnicodeScalars.h"

#include <gtest/gtest.h>

using namespace RadozodEri;

TEST(Constants, PunctuationSetsHoldTheirCodePointsInOrder)
{
    EXPECT_EQ(Platform::unicodeScalars(Constants::defaultPrependPunctuations),
              (std::u32string {0x22, 0x27, 0x201C, 0xA1, 0xBF, 0x28, 0x5B, 0x7B, 0x2D}));
    EXPECT_EQ(Platform::unicodeScalars(Constants::defaultAppendPunctuations),
              (std::u32string {0x22, 0x27, 0x2E, 0x3002, 0x2C, 0xFF0C, 0x21, 0xFF01, 0x3F, 0xFF1F, 0x3A, 0xFF1A,
                               0x201D, 0x29, 0x5D, 0x7D, 0x3001}));
}

TEST(Constants, LanguageNamesAndCodes)
{
    EXPECT_EQ(Constants::languages().size(), 112u);
    EXPECT_EQ(Constants::languageCodes().size(), 100u);
    const std::pair<const char*, const char*> names[] = {
        {"english", "en"},  {"burmese", "my"},   {"myanmar", "my"},   {"mandarin", "zh"},
        {"cantonese", "yue"}, {"hawaiian", "haw"}, {"javanese", "jw"}, {"haitian creole", "ht"},
        {"moldovan", "ro"},
    };
    for (const auto& [name, code] : names)
        EXPECT_EQ(Constants::languages().at(name), code) << name;
}
