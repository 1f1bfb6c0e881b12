// Tokenizers built from published tokenizer files that the test set-up
// fetches (scripts/fetch-tokenizer-files); tests skip when a file is absent.
#include "Tokenizers/PublishedTokenizers.h"

#include <gtest/gtest.h>

using namespace Tokenizers;

namespace {

using TestSupport::publishedTokenizer;

// Many scripts in composed form, white space runs and line breaks, none of
// the spellings that decoding's clean-up rewrites.
const char* const mixedScripts =
    "Hello world. Grüße aus Köln; ça va?\n\n"
    "Ελληνικά κείμενα, русский текст и 中文文本，日本語のテキスト。\n"
    "  العربية   हिन्दी   ไทย 한국어 🎉👍🏽 tabs\tand    spaces\n"
    "x² ≠ y₀ — “quoted” 'plain' {braces} <tags> 12345";

} // namespace

TEST(PublishedTokenizerFiles, BuildStrictAndKeepTheirSpecialTokensWhole)
{
    const std::vector<std::tuple<std::string, std::string, int>> cases = {
        {"llama3", "<|begin_of_text|>", 128000},
        {"qwen3", "<|im_end|>", 151645},
        {"gemma3", "<bos>", 2},
    };
    for (const auto& [name, special, id] : cases) {
        const PreTrainedTokenizer* tokenizer = publishedTokenizer(name);
        if (!tokenizer) {
            std::cout << "The " << name << " tokenizer files are absent: skipped\n";
            continue;
        }
        EXPECT_EQ(tokenizer->convertTokenToId(special), id) << name;
        const std::vector<int> ids = tokenizer->encode("one" + special + "two", false);
        EXPECT_EQ(std::count(ids.begin(), ids.end(), id), 1) << name;
        EXPECT_EQ(tokenizer->decode(ids), "one" + special + "two") << name;
        EXPECT_EQ(tokenizer->decode(ids, true), "onetwo") << name;
    }
}

TEST(PublishedTokenizerFiles, DecodeWhatTheyEncodeInEveryScript)
{
    for (const std::string name : {"llama3", "qwen3", "gemma3"})
        if (const PreTrainedTokenizer* tokenizer = publishedTokenizer(name))
            EXPECT_EQ(tokenizer->decode(tokenizer->encode(mixedScripts, false)), mixedScripts) << name;
}

TEST(PublishedTokenizerFiles, KeepWhiteSpaceTokensWholeAmongThousandsOfAddedTokens)
{
    const PreTrainedTokenizer* gemma = publishedTokenizer("gemma3");
    if (!gemma)
        GTEST_SKIP() << "The gemma3 tokenizer files are absent";
    // Runs of line breaks and of spaces are added tokens of their own there.
    const std::vector<std::string> tokens = gemma->tokenize("a\n\n\nb    c");
    EXPECT_NE(std::find(tokens.begin(), tokens.end(), "\n\n\n"), tokens.end());
    EXPECT_EQ(gemma->decode(gemma->encode("a\n\n\nb    c", false)), "a\n\n\nb    c");
}
