// Tokenizers built from model folders: the folder's files are read on a
// worker thread.
#include "Tokenizers/AutoTokenizer.h"

#include "Support/TestEnvironment.h"
#include "Tokenizers/LlamaPreTrainedTokenizer.h"
#include "Tokenizers/TokenizerError.h"
#include "tools/TestTokenizer/TestTokenizer.h"

#include <gtest/gtest.h>

#include <fstream>

using namespace Tokenizers;

TEST(AutoTokenizerFromFolder, BuildsThePlainClassAndNeedsATokenizerConfiguration)
{
    TestSupport::TemporaryFolder folder;
    std::ofstream(folder / "tokenizer.json") << R"({"model": {"type": "BPE", "merges": [], "vocab": {"a": 1}}})";
    try {
        AutoTokenizer::from(folder.path(), true);
        FAIL() << "built without a tokenizer configuration";
    } catch (const TokenizerError& error) {
        EXPECT_EQ(error.kind(), TokenizerError::Kind::missingConfig);
    }
    std::ofstream(folder / "tokenizer_config.json") << R"({"tokenizer_class": "LlamaTokenizerFast"})";
    const std::unique_ptr<Tokenizer> tokenizer = AutoTokenizer::from(folder.path(), true);
    EXPECT_NE(dynamic_cast<const PreTrainedTokenizer*>(tokenizer.get()), nullptr);
    EXPECT_EQ(dynamic_cast<const LlamaPreTrainedTokenizer*>(tokenizer.get()), nullptr);
    EXPECT_EQ(tokenizer->convertTokenToId("a"), 1);
}

TEST(TestTokenizer, IsGpt2sVocabularyWithTheSpeechModelsSpecialTokens)
{
    TestSupport::TemporaryFolder folder;
    if (!QelTools::writeFetchedTestTokenizer(folder.path()))
        GTEST_SKIP() << "GPT-2's files are absent";
    const std::unique_ptr<Tokenizer> tokenizer = AutoTokenizer::from(folder.path(), true);
    EXPECT_EQ(tokenizer->encode(" Hello world"), (std::vector<int>{18435, 995}));
    EXPECT_EQ(tokenizer->convertTokenToId("<|endoftext|>"), 50256);
    EXPECT_EQ(tokenizer->convertTokenToId("<|startoftranscript|>"), 50257);
    EXPECT_EQ(tokenizer->convertTokenToId("<|0.00|>"), 50363);
    EXPECT_EQ(tokenizer->convertTokenToId("<|30.00|>"), QelTools::englishVocabularySize - 1);
    EXPECT_EQ(tokenizer->decode(tokenizer->encode("It's 10 o'clock , isn't it ?")), "It's 10 o'clock , isn't it ?")
        << "no clean-up";
}
