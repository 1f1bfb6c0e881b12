#pragma once

// The failures of building a tokenizer, of its models and of its chat
// templates. what() is the description shown to the user.

#include <stdexcept>
#include <string>

namespace Tokenizers {

class TokenizerError : public std::runtime_error {
public:
    enum class Kind {
        unsupportedTokenizer,
        chatTemplate,
        tooLong,
        mismatchedConfig,
        missingConfig,
        missingTokenizerClassInConfig,
        missingVocab,
        malformedVocab,
        missingChatTemplate,
        tokenWithoutId,
    };

    static TokenizerError unsupportedTokenizer(const std::string& className);
    static TokenizerError chatTemplate(const std::string& message);
    static TokenizerError tooLong(const std::string& message);
    static TokenizerError mismatchedConfig(const std::string& message);
    static TokenizerError missingConfig();
    static TokenizerError missingTokenizerClassInConfig();
    static TokenizerError missingVocab();
    static TokenizerError malformedVocab();
    static TokenizerError missingChatTemplate();
    // Encoding met a token that neither the vocabulary nor an unknown token
    // gives an id.
    static TokenizerError tokenWithoutId(const std::string& token);

    Kind kind() const { return kind_; }
    // The class name, message or token the error was made with; empty for the
    // cases that carry none.
    const std::string& payload() const { return payload_; }

private:
    TokenizerError(Kind kind, const std::string& description, std::string payload = {})
        : std::runtime_error(description), kind_(kind), payload_(std::move(payload))
    {
    }

    Kind kind_;
    std::string payload_;
};

} // namespace Tokenizers
