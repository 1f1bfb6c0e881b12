#include "Tokenizers/PreTrainedTokenizer.h"

#include "Hub/Config/YYJSONParser.h"
#include "Tokenizers/ConfigurationError.h"
#include "Tokenizers/TokenizerError.h"

#include <gtest/gtest.h>

using namespace Tokenizers;
using Hub::YYJSONParser::parseToConfig;
using Tokens = std::vector<std::string>;

namespace {

// A character-level BPE model with one merge ("a b"), so that a section cut
// into characters shows in its tokens.
const char* const characterModel = R"("model": {"type": "BPE", "merges": ["a b"],
    "vocab": {"<unk>": 0, "a": 1, "b": 2, "ab": 3, " ": 4, ".": 5, "\u2581": 6, "c": 7, "[": 8, "x": 9, "]": 10}})";

PreTrainedTokenizer tokenizer(std::string_view dataMembers,
                              std::string_view configuration = R"({"tokenizer_class": "GPT2Tokenizer"})",
                              bool strict = true)
{
    return PreTrainedTokenizer(parseToConfig(configuration),
                               parseToConfig("{" + std::string(dataMembers) + ", " + characterModel + "}"), strict);
}

const char* const addedTokens = R"("added_tokens": [
    {"id": 20, "content": "<s>", "special": true},
    {"id": 21, "content": "<L>", "lstrip": true, "special": "false"},
    {"id": 22, "content": "<R>", "rstrip": true},
    {"content": "[x]", "special": true},
    {"id": 23.5, "content": "<f>"}])";

std::optional<TokenizerError::Kind> failureKind(const std::function<void()>& build)
{
    try {
        build();
    } catch (const TokenizerError& error) {
        return error.kind();
    }
    return std::nullopt;
}

} // namespace

TEST(PreTrainedTokenizer, KeepsAddedTokensWholeAndTokenizesTheTextAroundThem)
{
    const PreTrainedTokenizer t = tokenizer(addedTokens);
    EXPECT_EQ(t.tokenize("ab<s>ba"), (Tokens{"ab", "<s>", "b", "a"}));
    EXPECT_EQ(t.tokenize("a<L>b<R>c"), (Tokens{"a", "<L>", "b", "<R>", "c"}));
    // Entries without an integer id are cut out but go through the model.
    EXPECT_EQ(t.tokenize("c[x]"), (Tokens{"c", "[", "x", "]"}));
    EXPECT_EQ(t.tokenize("<f>"), (Tokens{"<0x3C>", "<0x66>", "<0x3E>"}));
    EXPECT_EQ(t.encode("ab<s>"), (std::vector<int>{3, 20}));
    EXPECT_EQ(t.specialTokens(), (std::unordered_map<std::string, int>{{"<s>", 20}}));
}

TEST(PreTrainedTokenizer, WithoutAddedTokensTheTextIsOneSection)
{
    EXPECT_EQ(tokenizer(R"("added_tokens": [])").tokenize("ab"), (Tokens{"ab"}));
    EXPECT_EQ(tokenizer(R"("added_tokens": [{"id": 1, "content": ""}])").tokenize("ab"), (Tokens{"ab"}));
    EXPECT_EQ(tokenizer(R"("version": "1.0")").tokenize("ab"), (Tokens{"ab"}));
}

TEST(PreTrainedTokenizer, GivesTheFirstSectionOptionToSectionZeroOnly)
{
    const std::string data = std::string(addedTokens) +
                             R"(, "pre_tokenizer": {"type": "Metaspace", "replacement": "\u2581",
                                 "prepend_scheme": "first", "split": false})";
    const PreTrainedTokenizer t = tokenizer(data);
    EXPECT_EQ(t.tokenize("a<s>b"), (Tokens{"\u2581", "a", "<s>", "b"}));
    EXPECT_EQ(t.tokenize("<s>b"), (Tokens{"<s>", "b"})) << "the added token's section is the first";
}

TEST(PreTrainedTokenizer, FailsToEncodeATokenWithoutIdAndNamesIt)
{
    const PreTrainedTokenizer t = tokenizer(addedTokens);
    try {
        t.encode("z");
        FAIL() << "encoded a token without id";
    } catch (const TokenizerError& error) {
        EXPECT_EQ(error.kind(), TokenizerError::Kind::tokenWithoutId);
        EXPECT_EQ(error.payload(), "<0x7A>");
        EXPECT_NE(std::string(error.what()).find("<0x7A>"), std::string::npos);
    }
    // With an unknown token the same text has an id.
    const PreTrainedTokenizer withUnknown =
        tokenizer(addedTokens, R"({"tokenizer_class": "GPT2Tokenizer", "unk_token": "<unk>"})");
    EXPECT_EQ(withUnknown.encode("z"), (std::vector<int>{0}));
}

TEST(PreTrainedTokenizer, FusesRunsOfUnknownTokensWithinASection)
{
    const PreTrainedTokenizer t =
        tokenizer(addedTokens, R"({"tokenizer_class": "GPT2Tokenizer", "unk_token": "<unk>", "fuse_unk": true})");
    EXPECT_EQ(t.tokenize("zz<s>zab"), (Tokens{"<0x7A>", "<s>", "<0x7A>", "ab"}));
}

TEST(PreTrainedTokenizer, DecodingSkipsOnlySpecialIdsAndCleansUpWhenAsked)
{
    const PreTrainedTokenizer cleaning = tokenizer(addedTokens);
    const std::vector<int> ids = {20, 1, 4, 5, 21, 99, 2};
    EXPECT_EQ(cleaning.decode(ids, false), "<s>a.<L>b") << "unknown ids drop, \" .\" becomes \".\"";
    EXPECT_EQ(cleaning.decode(ids, true), "a.<L>b") << "<L> is not special";
    const PreTrainedTokenizer keeping =
        tokenizer(addedTokens, R"({"tokenizer_class": "GPT2Tokenizer", "clean_up_tokenization_spaces": false})");
    EXPECT_EQ(keeping.decode(ids), "<s>a .<L>b");
}

TEST(PreTrainedTokenizer, CleansUpSpacesBeforePunctuationAndContractions)
{
    const PreTrainedTokenizer t = tokenizer(addedTokens);
    const std::vector<std::pair<std::string_view, std::string_view>> cases = {
        {"a . b ? c ! d , e", "a. b? c! d, e"},
        {"rock ' n roll", "rock'n roll"},
        {"x 'y z' w", "x 'y z' w"},
        {"do n't I 'm it 's we 've they 're", "don't I'm it's we've they're"},
    };
    for (const auto& [text, cleaned] : cases)
        EXPECT_EQ(t.cleanUp(text), cleaned) << text;
}

TEST(PreTrainedTokenizer, ChoosesTheModelByClassNameWithoutFast)
{
    EXPECT_EQ(withoutFast("GPT2TokenizerFast"), "GPT2Tokenizer");
    EXPECT_EQ(tokenizer(addedTokens, R"({"tokenizer_class": "Qwen2TokenizerFast"})").tokenize("ab"), (Tokens{"ab"}));
    EXPECT_EQ(failureKind([] { tokenizer(addedTokens, "{}"); }), TokenizerError::Kind::missingTokenizerClassInConfig);
    try {
        tokenizer(addedTokens, R"({"tokenizer_class": "NoSuchTokenizerFast"})");
        FAIL() << "built an unknown class";
    } catch (const TokenizerError& error) {
        EXPECT_EQ(error.kind(), TokenizerError::Kind::unsupportedTokenizer);
        EXPECT_EQ(error.payload(), "NoSuchTokenizer");
    }
    testing::internal::CaptureStdout();
    const PreTrainedTokenizer lenient = tokenizer(addedTokens, R"({"tokenizer_class": "NoSuchTokenizer"})", false);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "Warning: Tokenizer model class NoSuchTokenizer is not registered, falling back to a standard BPE "
              "implementation.\n");
    EXPECT_EQ(lenient.tokenize("ab"), (Tokens{"ab"}));
}

TEST(PreTrainedTokenizer, BuildsTheStagesBeforeCheckingTheClass)
{
    EXPECT_THROW(tokenizer(R"("decoder": {"type": "Nonsense"})", "{}"), ConfigurationError);
}

TEST(PreTrainedTokenizer, HasAChatTemplateOfAnyForm)
{
    EXPECT_FALSE(tokenizer(addedTokens).hasChatTemplate());
    EXPECT_TRUE(
        tokenizer(addedTokens, R"({"tokenizer_class": "GPT2Tokenizer", "chat_template": []})").hasChatTemplate());
    EXPECT_FALSE(
        tokenizer(addedTokens, R"({"tokenizer_class": "GPT2Tokenizer", "chat_template": null})").hasChatTemplate());
}
