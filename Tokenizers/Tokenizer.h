#pragma once

// A text tokenizer: text to token strings and ids and back. Implementations
// allow calls from several threads at once.

#include "Tokenizers/ChatTemplate.h"
#include "Tokenizers/TokenVocabulary.h"

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace Tokenizers {

class Tokenizer : public TokenVocabulary {
public:
    // The token strings of the text, before special tokens are added.
    virtual std::vector<std::string> tokenize(std::string_view text) const = 0;
    // The ids of the text, with the tokenizer's special tokens added.
    virtual std::vector<int> encode(std::string_view text) const = 0;
    virtual std::vector<int> encode(std::string_view text, bool addSpecialTokens) const = 0;
    virtual std::vector<int> operator()(std::string_view text, bool addSpecialTokens) const
    {
        return encode(text, addSpecialTokens);
    }

    // The text of the ids; special tokens are not skipped.
    virtual std::string decode(std::span<const int> tokens) const { return decode(tokens, false); }
    virtual std::string decode(std::span<const int> tokens, bool skipSpecialTokens) const = 0;

    virtual bool hasChatTemplate() const { return false; }

    // The ids of a chat rendered by a chat template. The shorter forms ask for
    // the generation prompt and leave the ids whole; the template is the
    // configuration's unless one is given. Throws TokenizerError
    // missingChatTemplate or chatTemplate, and the template language's errors
    // (JinjaError, TemplateException, ControlFlow) unchanged.
    virtual std::vector<int> applyChatTemplate(const std::vector<Message>& messages) const = 0;
    virtual std::vector<int> applyChatTemplate(const std::vector<Message>& messages,
                                               const std::optional<std::vector<ToolSpec>>& tools) const = 0;
    virtual std::vector<int>
    applyChatTemplate(const std::vector<Message>& messages, const std::optional<std::vector<ToolSpec>>& tools,
                      const std::optional<std::map<std::string, std::any>>& additionalContext) const = 0;
    virtual std::vector<int> applyChatTemplate(const std::vector<Message>& messages,
                                               const ChatTemplateArgument& chatTemplate) const = 0;
    // The string is the template's source.
    virtual std::vector<int> applyChatTemplate(const std::vector<Message>& messages,
                                               std::string_view chatTemplate) const = 0;
    virtual std::vector<int> applyChatTemplate(const std::vector<Message>& messages,
                                               const std::optional<ChatTemplateArgument>& chatTemplate,
                                               bool addGenerationPrompt, bool truncation, std::optional<int> maxLength,
                                               const std::optional<std::vector<ToolSpec>>& tools) const = 0;
    // The variables are "messages", "add_generation_prompt", "tools" when
    // given, then the additional context's entries over them, then the
    // configuration's special tokens. With truncation, at most the smaller of
    // `maxLength` and the configuration's model_max_length ids are kept.
    virtual std::vector<int>
    applyChatTemplate(const std::vector<Message>& messages, const std::optional<ChatTemplateArgument>& chatTemplate,
                      bool addGenerationPrompt, bool truncation, std::optional<int> maxLength,
                      const std::optional<std::vector<ToolSpec>>& tools,
                      const std::optional<std::map<std::string, std::any>>& additionalContext) const = 0;
};

} // namespace Tokenizers
