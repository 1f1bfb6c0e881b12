#include "Tokenizers/AddedTokens/AddedTokensPattern.h"

#include <gtest/gtest.h>

using namespace Tokenizers;
using Record = AddedTokensPattern::Record;
using Pieces = std::vector<std::string_view>;

TEST(AddedTokensPattern, CutsAsTheLongestFirstAlternationOfItsContents)
{
    struct Case {
        const char* label;
        std::vector<Record> records;
        std::string_view text;
        Pieces pieces;
    };
    const std::vector<Case> cases = {
        {"a longer token wins over its prefix", {{"<se"}, {"<sep>"}}, "a<sep>b<se", {"a", "<sep>", "b", "<se"}},
        {"left stripping absorbs white space on the left only",
         {{"<L>", true, false}},
         "a \u3000<L>  b",
         {"a", "<L>", "  b"}},
        {"right stripping absorbs white space on the right only",
         {{"<R>", false, true}},
         "a  <R> \n b",
         {"a  ", "<R>", "b"}},
        {"equal lengths keep the file's order", {{" x"}, {"xy", true, false}}, " xy", {" x", "y"}},
        {"equal lengths keep the file's order, reversed", {{"xy", true, false}, {" x"}}, " xy", {"xy"}},
        {"greedy white space leaves a white-space token the last place it fits",
         {{"  ", true, false}},
         "a     b",
         {"a", "  ", "b"}},
        {"length counts characters, not bytes",
         {{"\u00E9\u00E9"}, {"abc"}},
         "abc\u00E9\u00E9",
         {"abc", "\u00E9\u00E9"}},
        {"a text without a match is one piece", {{"<s>"}}, "plain", {"plain"}},
        {"the empty text has no piece", {{"<s>"}}, "", {}},
        {"an empty content matches nowhere", {{""}, {"<s>"}}, "a<s>", {"a", "<s>"}},
        {"adjacent tokens", {{"<s>"}}, "<s><s>", {"<s>", "<s>"}},
    };
    for (const Case& example : cases)
        EXPECT_EQ(AddedTokensPattern(example.records).split(example.text), example.pieces) << example.label;
    EXPECT_TRUE(AddedTokensPattern({{""}}).isEmpty());
}
