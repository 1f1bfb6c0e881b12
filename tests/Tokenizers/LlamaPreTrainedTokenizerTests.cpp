#include "Tokenizers/LlamaPreTrainedTokenizer.h"

#include "Hub/Config/YYJSONParser.h"
#include "Tokenizers/AutoTokenizer.h"
#include "Tokenizers/TokenizerError.h"

#include <gtest/gtest.h>

using namespace Tokenizers;
using Hub::YYJSONParser::parseToConfig;
using Tokens = std::vector<std::string>;

namespace {

// The file's own normalizer puts "^" in front, so that it shows whether it ran.
const Hub::Config llamaData = parseToConfig(R"({
    "added_tokens": [{"id": 20, "content": "<s>", "special": true}],
    "normalizer": {"type": "Prepend", "prepend": "^"},
    "model": {"type": "BPE", "merges": ["a b"],
              "vocab": {"<unk>": 0, "a": 1, "b": 2, "ab": 3, "\u2581": 4, "^": 5, "</s>": 6}}})");

std::unique_ptr<Tokenizer> llama(std::string_view configurationMembers)
{
    return AutoTokenizer::from(
        parseToConfig(R"({"tokenizer_class": "LlamaTokenizerFast", )" + std::string(configurationMembers) + "}"),
        llamaData, true);
}

} // namespace

TEST(AutoTokenizer, ChoosesLlamaForItsExactClassNameOnly)
{
    EXPECT_NE(dynamic_cast<const LlamaPreTrainedTokenizer*>(llama(R"("legacy": true)").get()), nullptr);
    const std::unique_ptr<Tokenizer> codeLlama =
        AutoTokenizer::from(parseToConfig(R"({"tokenizer_class": "CodeLlamaTokenizer"})"), llamaData, true);
    EXPECT_EQ(dynamic_cast<const LlamaPreTrainedTokenizer*>(codeLlama.get()), nullptr);
    EXPECT_NE(dynamic_cast<const PreTrainedTokenizer*>(codeLlama.get()), nullptr);
}

TEST(LlamaPreTrainedTokenizer, NonLegacyCutsAtTheWordMarkerInsteadOfTheFilesStages)
{
    const std::unique_ptr<Tokenizer> legacy = llama(R"("legacy": "yes")");
    EXPECT_EQ(legacy->tokenize("ab"), (Tokens{"^", "ab"})) << "an unreadable flag counts as legacy";

    const std::unique_ptr<Tokenizer> current = llama(R"("legacy": false)");
    EXPECT_EQ(current->tokenize("ab"), (Tokens{"\u2581", "ab"}));
    EXPECT_EQ(current->tokenize("a\u2581b"), current->tokenize("a b")) << "the marker counts as a space";
    EXPECT_EQ(current->tokenize("<s>ab"), (Tokens{"<s>", "ab"})) << "no marker token before a special token";
    EXPECT_EQ(current->tokenize(""), Tokens{});
}

TEST(LlamaPreTrainedTokenizer, AddsTheConfiguredBeginningAndEndTokens)
{
    EXPECT_EQ(llama(R"("add_bos_token": true, "bos_token": {"content": "<s>"}, "add_eos_token": true,
                       "eos_token": "</s>")")
                  ->encode("ab"),
              (std::vector<int>{20, 5, 3, 6}));
    EXPECT_EQ(llama("\"legacy\": true")->encode("ab"), (std::vector<int>{5, 3}));
}

TEST(MaybeUpdatePostProcessor, KeepsATemplateAndOtherwiseBuildsOneFromTheConfiguration)
{
    const Hub::Config configuration = parseToConfig(R"({"add_bos_token": true, "bos_token": "<s>"})");
    EXPECT_EQ(maybeUpdatePostProcessor(configuration,
                                       parseToConfig(R"({"type": "TemplateProcessing", "single": [], "pair": []})")),
              std::nullopt);
    const std::optional<Hub::Config> built =
        maybeUpdatePostProcessor(configuration, parseToConfig(R"({"type": "ByteLevel"})"));
    ASSERT_TRUE(built);
    EXPECT_EQ(*built, parseToConfig(R"({"type": "TemplateProcessing",
        "single": [{"SpecialToken": {"id": "<s>", "type_id": 0}}, {"Sequence": {"id": "A", "type_id": 0}}],
        "pair": [{"SpecialToken": {"id": "<s>", "type_id": 0}}, {"Sequence": {"id": "A", "type_id": 0}},
                 {"SpecialToken": {"id": "<s>", "type_id": 1}}, {"Sequence": {"id": "B", "type_id": 1}}]})"));
    EXPECT_EQ(maybeUpdatePostProcessor(parseToConfig("{}"), Hub::Config()),
              parseToConfig(R"({"type": "TemplateProcessing", "single": [{"Sequence": {"id": "A", "type_id": 0}}],
        "pair": [{"Sequence": {"id": "A", "type_id": 0}}, {"Sequence": {"id": "B", "type_id": 1}}]})"));

    const std::vector<std::pair<std::string_view, std::string_view>> mismatches = {
        {R"({"add_bos_token": true, "add_eos_token": true})", "add_bos_token is True but bos_token is nil"},
        {R"({"add_eos_token": true, "bos_token": "<s>"})", "add_eos_token is True but eos_token is nil"},
    };
    for (const auto& [members, message] : mismatches) {
        try {
            maybeUpdatePostProcessor(parseToConfig(members), Hub::Config());
            ADD_FAILURE() << members;
        } catch (const TokenizerError& error) {
            EXPECT_EQ(error.kind(), TokenizerError::Kind::mismatchedConfig);
            EXPECT_EQ(error.payload(), message);
        }
    }
}
