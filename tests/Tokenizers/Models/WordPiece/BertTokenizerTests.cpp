#include "Tokenizers/Models/WordPiece/BertTokenizer.h"

#include "Hub/Config/YYJSONParser.h"
#include "Tokenizers/TokenizerError.h"

#include <gtest/gtest.h>

using namespace Tokenizers;
using Hub::YYJSONParser::parseToConfig;
using Tokens = std::vector<std::string>;

namespace {

BertTokenizer bert(std::string_view vocabJSON, std::string_view configurationJSON = "{}",
                   std::string_view addedTokensJSON = "[]", const AddedTokenIds& added = {})
{
    return BertTokenizer(parseToConfig(configurationJSON),
                         parseToConfig(R"({"model": {"vocab": )" + std::string(vocabJSON) + R"(}, "added_tokens": )" +
                                       std::string(addedTokensJSON) + "}"),
                         added);
}

} // namespace

TEST(WordpieceTokenizer, TakesTheLongestPiecesAndGivesUpOnAWordThatCannotBeCovered)
{
    const auto vocab = std::make_shared<const VocabularyTable>(
        TextMap<int>{{"un", 0}, {"##aff", 1}, {"##able", 2}, {"a", 3}, {"##a", 4}});
    const WordpieceTokenizer pieces(vocab);
    EXPECT_EQ(pieces.tokenize("unaffable"), (Tokens{"un", "##aff", "##able"}));
    EXPECT_EQ(pieces.tokenize("unaffz"), (Tokens{"[UNK]"})) << "pieces found so far are dropped";
    EXPECT_EQ(pieces.tokenize(""), Tokens{});
    EXPECT_EQ(pieces.tokenize(std::string(100, 'a')).size(), 100u);
    EXPECT_EQ(pieces.tokenize(std::string(101, 'a')), (Tokens{"[UNK]"}));
    // Length counts characters: 100 accented letters of two code points each still split.
    std::string accented;
    for (int index = 0; index < 100; ++index)
        accented += "a\u0301";
    EXPECT_EQ(pieces.tokenize(accented), (Tokens{"[UNK]"})) << "no piece holds the accented letter";
}

TEST(BasicTokenizer, CutsAtWhiteSpaceAndPunctuationAndKeepsTheMarkers)
{
    const BasicTokenizer lowering(true);
    EXPECT_EQ(lowering.tokenize("[CLS] Hello, world!"), (Tokens{"[CLS]", "hello", ",", "world", "!"}));
    EXPECT_EQ(lowering.tokenize("a$b\tc\u00A0d"), (Tokens{"a", "$", "b", "c", "d"}));
    EXPECT_EQ(lowering.tokenize("a\nb"), (Tokens{"a\nb"})) << "a line break separates nothing";
    EXPECT_EQ(lowering.tokenize("Caf\u00E9 \u00C5NGSTR\u00D6M"), (Tokens{"cafe", "angstrom"}));
    EXPECT_EQ(lowering.tokenize("\u00BFQu\u00E9?"), (Tokens{"\u00BF", "que", "?"}));
    const BasicTokenizer keeping(false);
    EXPECT_EQ(keeping.tokenize("Caf\u00E9 [cls]"), (Tokens{"Caf\u00E9", "[", "cls", "]"}));
}

TEST(BertTokenizer, TokenizesWithChineseCharactersAsWordsAndConvertsUnknownTextsToUnk)
{
    const BertTokenizer model = bert(R"({"[UNK]": 0, "[CLS]": 1, "hello": 2, ",": 3, "a": 4, "\u4E2D": 5, "b": 6,
                                         "skipped": 1.5})");
    EXPECT_EQ(model.tokenize("[CLS] Hello, zzz"), (Tokens{"[CLS]", "hello", ",", "[UNK]"}));
    EXPECT_EQ(model.tokenize("a\u4E2Db"), (Tokens{"a", "\u4E2D", "b"}));
    EXPECT_EQ(model.convertTokenToId("skipped"), 0) << "an entry that is no integer is no entry";
    EXPECT_EQ(model.convertIdToToken(5), "\u4E2D");
    EXPECT_EQ(model.convertIdToToken(9), std::nullopt);
    EXPECT_EQ(model.unknownToken(), "[UNK]");
    EXPECT_EQ(model.unknownTokenId(), 0);

    const BertTokenizer whole = bert(R"({"a": 4, "b": 6, "a\u4E2Db": 7})", R"({"handle_chinese_chars": false})");
    EXPECT_EQ(whole.tokenize("a\u4E2Db"), (Tokens{"a\u4E2Db"}));
    EXPECT_EQ(whole.unknownTokenId(), std::nullopt);
    EXPECT_EQ(whole.convertTokenToId("zzz"), std::nullopt);
}

TEST(BertTokenizer, AddedTokensTakeTheirIdsAndObjectTokensCountAsAbsent)
{
    const BertTokenizer model =
        bert(R"({"[UNK]": 0, "[SEP]": 1, "x": 2})",
             R"({"bos_token": {"content": "[SEP]"}, "eos_token": "[SEP]", "fuse_unk": true})",
             R"([{"id": 9, "content": "x"}, {"content": "no id"}, {"id": 10, "content": "y"}])", {{"y", 11}});
    EXPECT_EQ(model.convertTokenToId("x"), 9);
    EXPECT_EQ(model.convertIdToToken(9), "x");
    EXPECT_EQ(model.convertTokenToId("y"), 11) << "the argument's added tokens come last";
    EXPECT_EQ(model.convertTokenToId("no id"), 0);
    EXPECT_EQ(model.bosToken(), std::nullopt);
    EXPECT_EQ(model.bosTokenId(), std::nullopt);
    EXPECT_EQ(model.eosTokenId(), 1);
    EXPECT_TRUE(model.fuseUnknownTokens());

    EXPECT_THROW(
        try { bert("[]"); } catch (const TokenizerError& error) {
            EXPECT_EQ(error.kind(), TokenizerError::Kind::missingVocab);
            throw;
        },
        TokenizerError);
}
