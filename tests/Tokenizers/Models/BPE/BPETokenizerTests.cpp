#include "Tokenizers/Models/BPE/BPETokenizer.h"

#include "Hub/Config/YYJSONParser.h"
#include "Tokenizers/ConfigurationError.h"
#include "Tokenizers/TokenizerError.h"

#include <gtest/gtest.h>

using namespace Tokenizers;
using Hub::YYJSONParser::parseToConfig;

namespace {

const Hub::Config tokenizerConfig = parseToConfig(R"({"unk_token": {"content": "<unk>"}, "eos_token": "</s>"})");

BPETokenizer model(std::string_view modelJSON, const AddedTokenIds& added = {},
                   const Hub::Config& configuration = tokenizerConfig)
{
    return BPETokenizer(configuration, parseToConfig(R"({"model": )" + std::string(modelJSON) + "}"), added);
}

} // namespace

TEST(BPETokenizer, TokenizesMergedPiecesAndWritesUnknownOnesAsBytes)
{
    const BPETokenizer bpe = model(R"({"merges": ["l o", ["lo", "w"], "\u2581 x", "e"],
        "vocab": {"low": 5, "e": 6, "r": 7, "<unk>": 0, "</s>": 2, "x": 1.5}})");
    EXPECT_EQ(bpe.bpe("lower"), "low e r");
    EXPECT_EQ(bpe.tokenize("lower"), (std::vector<std::string>{"low", "e", "r"}));
    // A piece outside the vocabulary, or one that is the unknown token, becomes byte tokens.
    EXPECT_EQ(bpe.tokenize("\u2581"), (std::vector<std::string>{"<0xE2>", "<0x96>", "<0x81>"}));
    EXPECT_EQ(bpe.tokenize("<unk>"), BPETokenizer::hexaEncode("<unk>"));
    EXPECT_EQ(bpe.tokenize("e"), (std::vector<std::string>{"e"}));
    EXPECT_EQ(bpe.convertTokenToId("nope"), 0);
    EXPECT_EQ(bpe.convertTokenToId("x"), 0); // a value that is no integer is no entry
    EXPECT_EQ(bpe.convertIdToToken(5), "low");
    EXPECT_EQ(bpe.convertIdToToken(99), std::nullopt);
    EXPECT_EQ(bpe.unknownToken(), "<unk>");
    EXPECT_EQ(bpe.unknownTokenId(), 0);
    EXPECT_EQ(bpe.eosTokenId(), 2);
    EXPECT_EQ(bpe.bosToken(), std::nullopt);
    EXPECT_FALSE(bpe.fuseUnknownTokens());
}

TEST(BPETokenizer, AddedTokensReplaceVocabularyIdsAndTextsCompareExactly)
{
    const BPETokenizer bpe = model(R"({"merges": [], "vocab": {"a": 1, "\u00E9": 2}})", {{"a", 7}, {"<s>", 8}},
                                   parseToConfig(R"({"fuse_unk": true})"));
    EXPECT_EQ(bpe.convertTokenToId("a"), 7);
    EXPECT_EQ(bpe.convertTokenToId("<s>"), 8);
    EXPECT_EQ(bpe.convertTokenToId("\u00E9"), 2);
    EXPECT_EQ(bpe.convertTokenToId("e\u0301"), std::nullopt); // no unknown token either
    EXPECT_TRUE(bpe.fuseUnknownTokens());
}

TEST(BPETokenizer, RefusesDataWithoutMergesOrVocabulary)
{
    try {
        model(R"({"vocab": {}})");
        FAIL() << "built without merges";
    } catch (const ConfigurationError& error) {
        EXPECT_STREQ(error.what(), "BPETokenizer requires merges");
        EXPECT_EQ(error.keyPath(), (std::vector<std::string>{"model", "merges"}));
    }
    for (const char* modelJSON : {R"({"merges": [], "vocab": ["a"]})", R"({"merges": []})"}) {
        try {
            model(modelJSON);
            ADD_FAILURE() << "built without a vocabulary: " << modelJSON;
        } catch (const TokenizerError& error) {
            EXPECT_EQ(error.kind(), TokenizerError::Kind::missingVocab);
        }
    }
}

TEST(BPETokenizer, ReadsBothFormsOfMergesEntries)
{
    const auto merges = BPETokenizer::mergesFromConfig(parseToConfig(R"(["a b", ["c", "d", 3, "e"], "f  g", "h", 4])"));
    ASSERT_TRUE(merges);
    EXPECT_EQ(*merges, (std::vector<std::vector<std::string>>{{"a", "b"}, {"c", "d", "e"}, {"f", "", "g"}, {"h"}}));
    EXPECT_FALSE(BPETokenizer::mergesFromConfig(parseToConfig(R"({"a": "b"})")));
}
