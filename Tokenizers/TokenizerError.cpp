#include "Tokenizers/TokenizerError.h"

namespace Tokenizers {

TokenizerError TokenizerError::unsupportedTokenizer(const std::string& className)
{
    return {Kind::unsupportedTokenizer, "The tokenizer type '" + className + "' is not supported.", className};
}

TokenizerError TokenizerError::chatTemplate(const std::string& message)
{
    return {Kind::chatTemplate, "Chat template error: " + message, message};
}

TokenizerError TokenizerError::tooLong(const std::string& message)
{
    return {Kind::tooLong, "Input is too long: " + message, message};
}

TokenizerError TokenizerError::mismatchedConfig(const std::string& message)
{
    return {Kind::mismatchedConfig, "Tokenizer configuration mismatch: " + message, message};
}

TokenizerError TokenizerError::missingConfig()
{
    return {Kind::missingConfig, "Tokenizer configuration is missing."};
}

TokenizerError TokenizerError::missingTokenizerClassInConfig()
{
    return {Kind::missingTokenizerClassInConfig, "The tokenizer class is not specified in the configuration."};
}

TokenizerError TokenizerError::missingVocab()
{
    return {Kind::missingVocab, "Vocabulary file is missing from the tokenizer configuration."};
}

TokenizerError TokenizerError::malformedVocab()
{
    return {Kind::malformedVocab, "The vocabulary file is malformed or corrupted."};
}

TokenizerError TokenizerError::missingChatTemplate()
{
    return {Kind::missingChatTemplate, "This tokenizer does not have a chat template, and no template was passed."};
}

TokenizerError TokenizerError::tokenWithoutId(const std::string& token)
{
    return {Kind::tokenWithoutId, "The token '" + token + "' has no id in the vocabulary.", token};
}

} // namespace Tokenizers
