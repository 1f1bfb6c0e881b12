#include "Tokenizers/TokenizerError.h"

#include <gtest/gtest.h>

using Tokenizers::TokenizerError;

TEST(TokenizerError, DescribesEachCase)
{
    const std::pair<TokenizerError, const char*> cases[] = {
        {TokenizerError::unsupportedTokenizer("X"), "The tokenizer type 'X' is not supported."},
        {TokenizerError::chatTemplate("m"), "Chat template error: m"},
        {TokenizerError::tooLong("m"), "Input is too long: m"},
        {TokenizerError::mismatchedConfig("m"), "Tokenizer configuration mismatch: m"},
        {TokenizerError::missingConfig(), "Tokenizer configuration is missing."},
        {TokenizerError::missingTokenizerClassInConfig(), "The tokenizer class is not specified in the configuration."},
        {TokenizerError::missingVocab(), "Vocabulary file is missing from the tokenizer configuration."},
        {TokenizerError::malformedVocab(), "The vocabulary file is malformed or corrupted."},
        {TokenizerError::missingChatTemplate(),
         "This tokenizer does not have a chat template, and no template was passed."},
    };
    for (const auto& [error, description] : cases)
        EXPECT_STREQ(error.what(), description);
    EXPECT_EQ(TokenizerError::unsupportedTokenizer("X").payload(), "X");
}
