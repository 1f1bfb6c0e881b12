#include "Platform/Text/CaseMapping.h"
#include "Platform/Text/CharacterProperties.h"
#include "Platform/Text/CharacterSets.h"
#include "Platform/Text/Graphemes.h"
#include "Platform/Text/LanguageRecognizer.h"
#include "Platform/Text/Normalization.h"
#include "Platform/Text/UTF16.h"
#include "Platform/Text/UnicodeScalars.h"

#include <gtest/gtest.h>

using namespace Platform;

TEST(Graphemes, CountUserPerceivedCharacters)
{
    const struct {
        const char* text;
        std::size_t count;
    } cases[] = {
        {"", 0},
        {"abc", 3},
        {"e\u0301", 1},             // e + combining acute
        {"\U0001F1E9\U0001F1EA", 1}, // a flag: two regional indicators
        {"\U0001F1E9\U0001F1EA\U0001F1EB\U0001F1F7", 2},
        {"\r\n", 1},
        {"a\r\nb", 3},
        {"\U0001F469\u200D\U0001F4BB", 1}, // emoji joined by ZWJ
        {"ß", 1},
        {"\u0120a\u02FF\r\r\n", 5},
        {"\u00E9\u0301x", 2}, // a composed letter with a further accent
        {"a\xC3", 2},          // a cut-off sequence
    };
    for (const auto& c : cases) {
        EXPECT_EQ(graphemeCount(c.text), c.count) << c.text;
        EXPECT_EQ(graphemeClusters(c.text).size(), c.count) << c.text;
    }
}

TEST(Graphemes, CutAtCharacterBoundaries)
{
    const std::string text = "e\u0301\U0001F1E9\U0001F1EAx\r\n";
    EXPECT_EQ(graphemePrefix(text, 0), "");
    EXPECT_EQ(graphemePrefix(text, 1), "e\u0301");
    EXPECT_EQ(graphemePrefix(text, 2), "e\u0301\U0001F1E9\U0001F1EA");
    EXPECT_EQ(graphemePrefix(text, 9), text);
    EXPECT_EQ(graphemePrefix(text, 4, "..."), text);
    EXPECT_EQ(graphemePrefix(text, 3, "..."), "e\u0301\U0001F1E9\U0001F1EAx...");
    EXPECT_EQ(dropLastGraphemes(text), "e\u0301\U0001F1E9\U0001F1EAx");
    EXPECT_EQ(dropLastGraphemes(text, 3), "e\u0301");
    EXPECT_EQ(dropLastGraphemes(text, 4), "");
    EXPECT_EQ(dropLastGraphemes(text, 5), "");
    EXPECT_EQ(firstGrapheme(text), "e\u0301");
    EXPECT_EQ(lastGrapheme(text), "\r\n");
    EXPECT_EQ(firstGrapheme(""), "");
    EXPECT_EQ(lastGrapheme(""), "");
}

TEST(Graphemes, LengthsOfUTF16CharactersInCodeUnits)
{
    EXPECT_EQ(graphemeLengths(u"h\u00E9e\u0301\U0001F600\r\n"), (std::vector<std::size_t>{1, 1, 2, 2, 2}));
    EXPECT_EQ(graphemeLengths(u""), std::vector<std::size_t>{});
    // An unpaired surrogate is a character of its own.
    EXPECT_EQ(graphemeLengths(std::u16string{u'a', char16_t(0xD800), u'b'}), (std::vector<std::size_t>{1, 1, 1}));
}

TEST(CaseMapping, UsesFullLocaleIndependentMappings)
{
    EXPECT_EQ(uppercased("ß"), "SS");
    EXPECT_EQ(uppercased("straße"), "STRASSE");
    EXPECT_EQ(uppercased("i"), "I"); // no Turkish dotted capital
    EXPECT_EQ(lowercased("I"), "i");
    EXPECT_EQ(lowercased("ΣΑΣ"), "σας"); // final sigma by context
    EXPECT_EQ(uppercased("ǆ"), "Ǆ");
    EXPECT_EQ(uppercased("3:30 pm"), "3:30 PM");

    EXPECT_TRUE(isLowercase("a"));
    EXPECT_TRUE(isLowercase("ß"));
    EXPECT_TRUE(isLowercase("e\u0301"));
    EXPECT_FALSE(isLowercase("A"));
    EXPECT_FALSE(isLowercase("1"));
    EXPECT_TRUE(isUppercase("É"));
    EXPECT_TRUE(isUppercase("E\u0301"));
    EXPECT_FALSE(isUppercase("é"));
    EXPECT_FALSE(isUppercase("."));
    EXPECT_FALSE(isUppercase(""));
}

TEST(CaseMapping, EqualIgnoringCaseFoldsFullyUpToCanonicalEquivalence)
{
    const struct {
        const char* first;
        const char* second;
        bool equal;
    } cases[] = {
        {"Acme", "ACME", true},   {"Straße", "STRASSE", true},
        {"ΣΑΣ", "σασ", true},     {"caf\u00e9", "CAFE\u0301", true},
        {"i", "\u0130", false}, // dotted capital I folds to i with a dot above
        {"Acme", "Acme ", false}, {"", "", true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(equalIgnoringCase(c.first, c.second), c.equal) << c.first << " / " << c.second;
}

TEST(CharacterSets, TrimTheUnicodeSets)
{
    const struct {
        const char* text;
        CharacterSet set;
        const char* expected;
    } cases[] = {
        {" \t\n\u00A0\u2028 hi there \u3000\r\n\u2029\u0085", CharacterSet::whitespacesAndNewlines, "hi there"},
        {" \t\u00A0hi\n\u2003 ", CharacterSet::whitespaces, "hi\n"},
        {"\n hi \n", CharacterSet::whitespaces, "\n hi \n"},
        {"¿«New line!»…", CharacterSet::punctuation, "New line"},
        {"...", CharacterSet::punctuation, ""},
        {"$5+", CharacterSet::punctuation, "$5+"}, // symbols are not punctuation
        {"", CharacterSet::whitespacesAndNewlines, ""},
    };
    for (const auto& c : cases) EXPECT_EQ(trimming(c.text, c.set), c.expected) << c.text;
}

TEST(CharacterSets, UppercaseLettersAreTheUpperAndTitleCaseCategories)
{
    for (char32_t c : {U'A', U'\u00C9', U'\u01C5', U'\u0394'})
        EXPECT_TRUE(contains(CharacterSet::uppercaseLetters, c)) << int(c);
    // A digit, a lower-case letter, and a circled capital (a symbol, though upper case).
    for (char32_t c : {U'2', U'a', U'\u24B6', U'_'})
        EXPECT_FALSE(contains(CharacterSet::uppercaseLetters, c)) << int(c);
}

TEST(CharacterSets, AlphanumericsAreLettersMarksAndNumbersAndNonspacingMarksTheAccents)
{
    for (char32_t c : {U'a', U'\u00C9', U'7', U'\u0663', U'\u0301', U'\u4E2D', U'\u00B2'})
        EXPECT_TRUE(contains(CharacterSet::alphanumerics, c)) << int(c);
    for (char32_t c : {U'_', U'-', U' ', U'.', U'$'})
        EXPECT_FALSE(contains(CharacterSet::alphanumerics, c)) << int(c);
    EXPECT_EQ(removing("e\u0301a\u0308\u0903", CharacterSet::nonspacingMarks), "ea\u0903")
        << "a spacing mark is no accent";
}

TEST(CharacterSets, RemoveEveryCodePointOfASet)
{
    EXPECT_EQ(removing("¿«Don't», she—said…?", CharacterSet::punctuation), "Dont shesaid");
    EXPECT_EQ(removing("$5+ ok", CharacterSet::punctuation), "$5+ ok");
    // A malformed byte is not a code point of any set and stays.
    EXPECT_EQ(removing("a\xFF!", CharacterSet::punctuation), "a\xFF");
}

TEST(UnicodeScalars, DecodeCodePointsAndReplaceMalformedBytes)
{
    EXPECT_EQ(unicodeScalars("aé。😀"), (std::u32string {U'a', 0xE9, 0x3002, 0x1F600}));
    EXPECT_EQ(unicodeScalars("\xE3\x81"), std::u32string {0xFFFD});
    EXPECT_EQ(unicodeScalars(""), std::u32string {});

    EXPECT_EQ(validUTF8("a\u00E9"), "a\u00E9");
    EXPECT_EQ(validUTF8("\xE3\x81"), "\uFFFD");
    EXPECT_EQ(validUTF8("x\xFFy\xE3\x81\x82"), "x\uFFFDy\u3042");
}

TEST(UTF16, ConvertsBothWaysWithoutNormalising)
{
    const struct {
        const char* text;
        std::u16string units;
    } cases[] = {
        {"", u""},
        {"h\u00E9", u"h\u00E9"},
        {"e\u0301", u"e\u0301"},
        {"\U0001F600!", u"\U0001F600!"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(utf16(c.text), c.units) << c.text;
        EXPECT_EQ(utf8(c.units), c.text) << c.text;
    }
    // Ill-formed UTF-8: a stray byte, an overlong form, an encoded surrogate,
    // a code point beyond Unicode, a sequence cut short.
    const struct {
        const char* bytes;
        std::u16string units;
    } malformed[] = {
        {"a\xFF", u"a\uFFFD"},
        {"\xC0\xAFx", u"\uFFFD\uFFFDx"},
        {"\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},
        {"\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},
        {"\xE3\x81", u"\uFFFD"},
        {"\xF0\x9F\x98", u"\uFFFD"},
    };
    for (const auto& c : malformed)
        EXPECT_EQ(utf16(c.bytes), c.units) << c.bytes;
    EXPECT_EQ(utf8(std::u16string{char16_t(0xDC00), u'x'}), "\uFFFDx");
}

TEST(LanguageRecognizer, DominantLanguageByScript)
{
    const struct {
        const char* text;
        std::optional<std::string> language;
    } cases[] = {
        {"你好，世界", "zh"},
        {"こんにちは世界", "ja"},
        {"東京都に住む", "ja"}, // Han with a little kana is Japanese
        {"สวัสดีครับ", "th"},
        {"ສະບາຍດີ", "lo"},
        {"မင်္ဂလာပါ", "my"},
        {"안녕하세요 세계", "ko"},
        {"Hello world", std::nullopt},
        {"Привет, мир", std::nullopt},
        {"Hello 世界, how are you", std::nullopt},
        {"123 !?", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(dominantLanguage(c.text), c.language) << c.text;
}

TEST(Normalization, ProducesEachForm)
{
    const struct {
        const char* text;
        const char* c;
        const char* d;
        const char* kc;
        const char* kd;
    } cases[] = {
        {"e\u0301", "\u00E9", "e\u0301", "\u00E9", "e\u0301"},
        {"\u00C5", "\u00C5", "A\u030A", "\u00C5", "A\u030A"},
        {"\uFB01", "\uFB01", "\uFB01", "fi", "fi"}, // a ligature only compatibility splits
        {"\uFF21\u00E9", "\uFF21\u00E9", "\uFF21e\u0301", "A\u00E9", "Ae\u0301"},              // fullwidth A
        {"q\u0307\u0323", "q\u0323\u0307", "q\u0323\u0307", "q\u0323\u0307", "q\u0323\u0307"}, // marks reordered
        {"plain", "plain", "plain", "plain", "plain"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(nfc(c.text), c.c) << c.text;
        EXPECT_EQ(nfd(c.text), c.d) << c.text;
        EXPECT_EQ(nfkc(c.text), c.kc) << c.text;
        EXPECT_EQ(nfkd(c.text), c.kd) << c.text;
    }
}

TEST(Graphemes, NextBoundaryEndsTheCharacterHoldingAnOffset)
{
    const std::string text = "e\u0301\U0001F1E9\U0001F1EA\r\nx";
    EXPECT_EQ(nextGraphemeBoundary(text, 0), 3u);
    EXPECT_EQ(nextGraphemeBoundary(text, 1), 3u);  // inside the accent
    EXPECT_EQ(nextGraphemeBoundary(text, 3), 11u); // the flag's two regional indicators
    EXPECT_EQ(nextGraphemeBoundary(text, 11), 13u);
    EXPECT_EQ(nextGraphemeBoundary(text, 13), 14u);
    EXPECT_EQ(nextGraphemeBoundary(text, 14), 14u);
    EXPECT_EQ(nextGraphemeBoundary("", 0), 0u);
}

TEST(CharacterProperties, ClassifyCodePoints)
{
    const struct {
        char32_t codePoint;
        bool whiteSpace, alphabetic, numeric;
    } cases[] = {
        {U' ', true, false, false},   {U'\n', true, false, false},   {0x2028, true, false, false},
        {0x3000, true, false, false}, {0x200B, false, false, false}, // zero width space is not white space
        {U'a', false, true, false},   {0x4E2D, false, true, false},  {0x0345, false, true, false},
        {U'_', false, false, false},  {U'7', false, false, true},    {0x0663, false, false, true}, // Arabic-Indic 3
        {0x00BD, false, false, true}, {0x2167, false, true, true},   {0x4E09, false, true, true},  // 三
        {U'!', false, false, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(isWhiteSpace(c.codePoint), c.whiteSpace) << std::hex << static_cast<unsigned>(c.codePoint);
        EXPECT_EQ(isAlphabetic(c.codePoint), c.alphabetic) << std::hex << static_cast<unsigned>(c.codePoint);
        EXPECT_EQ(hasNumericType(c.codePoint), c.numeric) << std::hex << static_cast<unsigned>(c.codePoint);
    }
    EXPECT_EQ(firstCodePoint("\u00E9x"), U'\u00E9');
    EXPECT_EQ(firstCodePoint(""), std::nullopt);
    EXPECT_EQ(firstCodePoint("\xFFa"), std::nullopt);
}

TEST(Normalization, TellsComposedTextApart)
{
    EXPECT_TRUE(isNFC(""));
    EXPECT_TRUE(isNFC("plain ASCII"));
    EXPECT_TRUE(isNFC("caf\u00E9 \u4E2D"));
    EXPECT_FALSE(isNFC("cafe\u0301"));
    EXPECT_FALSE(isNFC("\u212B")); // the Angstrom sign composes to Å
}

TEST(UnicodeScalars, IsASCIIFindsAHighByteAnywhere)
{
    for (std::size_t length = 0; length <= 20; ++length) {
        const std::string plain(length, 'a');
        EXPECT_TRUE(isASCII(plain)) << length;
        for (std::size_t at = 0; at < length; ++at) {
            std::string text = plain;
            text[at] = '\x80';
            EXPECT_FALSE(isASCII(text)) << length << " " << at;
        }
    }
}
