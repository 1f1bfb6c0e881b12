#include "RadozodEri/Core/WhisperTokenizerWrapper.h"

#include "RadozodEri/Doubles/ByteTokenizer.h"

#include <gtest/gtest.h>

using namespace RadozodEri;
using TestSupport::ByteTokenizer;

namespace {

enum Piece { hello, world, bang, un, believ, able, cafe, eAcuteLead, eAcuteTail, konNi, chiWa, haLead, haTail, piecesCount };

constexpr int endOfText = 50;
constexpr int english = 51;

WhisperTokenizerWrapper wrapper()
{
    std::vector<std::string> pieces(piecesCount);
    pieces[hello] = " Hello";
    pieces[world] = " world";
    pieces[bang] = "!";
    pieces[un] = " un";
    pieces[believ] = "believ";
    pieces[able] = "able";
    pieces[cafe] = " caf";
    pieces[eAcuteLead] = "\xC3"; // é is C3 A9
    pieces[eAcuteTail] = "\xA9";
    pieces[konNi] = "こん";
    pieces[chiWa] = "にち";
    pieces[haLead] = "\xE3\x81"; // は is E3 81 AF
    pieces[haTail] = "\xAF";
    return WhisperTokenizerWrapper(std::make_unique<ByteTokenizer>(
        pieces, std::map<std::string, int> {{"<|endoftext|>", endOfText},
                                            {"<|en|>", english},
                                            {"<|de|>", 40}, // not above the special ids: not a language token
                                            {"<|0.00|>", 60}}));
}

} // namespace

TEST(WhisperTokenizerWrapper, SpecialTokensFallBackToFixedIds)
{
    const WhisperTokenizerWrapper bare(std::make_unique<ByteTokenizer>(std::vector<std::string> {},
                                                                       std::map<std::string, int> {}));
    EXPECT_EQ(bare.specialTokens(), (SpecialTokens {50257, 50259, 50362, 50363, 50257, 50361, 50258, 50364, 50359,
                                                    50358, 220}));
    EXPECT_TRUE(bare.allLanguageTokens().empty());

    const WhisperTokenizerWrapper known = wrapper();
    EXPECT_EQ(known.specialTokens().endToken, endOfText);
    EXPECT_EQ(known.specialTokens().specialTokenBegin, endOfText);
    EXPECT_EQ(known.specialTokens().englishToken, english);
    EXPECT_EQ(known.specialTokens().timeTokenBegin, 60);
    EXPECT_EQ(known.allLanguageTokens(), std::unordered_set<int> {english});
}

TEST(WhisperTokenizerWrapper, SplitsSpacedTextIntoWords)
{
    const WhisperTokenizerWrapper tokenizer = wrapper();
    struct Case {
        const char* name;
        std::vector<int> tokens;
        WordTokens split;
    };
    const Case cases[] = {
        {"punctuation starts a word", {hello, world, bang},
         {{" Hello", " world", "!"}, {{hello}, {world}, {bang}}}},
        {"continuations merge", {un, believ, able, bang},
         {{" unbelievable", "!"}, {{un, believ, able}, {bang}}}},
        {"end of text starts a word", {hello, endOfText},
         {{" Hello", "<|endoftext|>"}, {{hello}, {endOfText}}}},
        {"a character split over two tokens", {cafe, eAcuteLead, eAcuteTail, world},
         {{" café", " world"}, {{cafe, eAcuteLead, eAcuteTail}, {world}}}},
        {"a cut-off character at the end is dropped", {cafe, eAcuteLead}, {{" caf"}, {{cafe}}}},
        {"nothing", {}, {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(tokenizer.splitToWordTokens(c.tokens), c.split) << c.name;
}

TEST(WhisperTokenizerWrapper, SplitsJapanesePerWholeCharacters)
{
    const WhisperTokenizerWrapper tokenizer = wrapper();
    const std::vector<int> tokens = {konNi, chiWa, haLead, haTail};
    EXPECT_EQ(tokenizer.splitToWordTokens(tokens),
              (WordTokens {{"こん", "にち", "は"}, {{konNi}, {chiWa}, {haLead, haTail}}}));
    EXPECT_EQ(tokenizer.decode(tokenizer.encode("こんにちは")), "こんにちは");
}
