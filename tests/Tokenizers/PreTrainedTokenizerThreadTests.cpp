#include "Tokenizers/PreTrainedTokenizer.h"

#include "Hub/Config/YYJSONParser.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

using namespace Tokenizers;
using Hub::YYJSONParser::parseToConfig;

TEST(PreTrainedTokenizerThreads, ManyThreadsShareOneTokenizer)
{
    const PreTrainedTokenizer tokenizer(parseToConfig(R"({"tokenizer_class": "T5Tokenizer"})"), parseToConfig(R"({
        "added_tokens": [{"id": 5, "content": "</s>", "special": true}],
        "pre_tokenizer": {"type": "Metaspace", "replacement": "\u2581", "prepend_scheme": "always"},
        "decoder": {"type": "Metaspace", "replacement": "\u2581", "prepend_scheme": "always"},
        "model": {"type": "Unigram", "unk_id": 0, "vocab": [["<unk>", 0], ["\u2581ab", -1], ["a", -2], ["b", -2],
                  ["\u2581", -3], ["</s>", 0]]}})"),
                                        true);
    const std::string text = "ab ba abab</s> b";
    const std::vector<int> expected = tokenizer.encode(text);
    std::vector<std::thread> threads;
    std::vector<int> mismatches(8, 0);
    for (std::size_t index = 0; index < mismatches.size(); ++index)
        threads.emplace_back([&, index] {
            for (int round = 0; round < 200; ++round)
                if (tokenizer.encode(text) != expected ||
                    tokenizer.decode(expected) != tokenizer.decode(expected, false))
                    ++mismatches[index];
        });
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(mismatches, std::vector<int>(8, 0));
    EXPECT_NE(std::ranges::find(expected, 5), expected.end());
}
