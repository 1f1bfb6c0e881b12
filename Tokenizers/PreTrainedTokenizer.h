#pragma once

// The tokenizer built from a model's tokenizer configuration and tokenizer
// data: normalizer, pre-tokenizer, vocabulary model, post-processor and
// decoder as the data names them, with added tokens kept whole, special
// tokens that decoding may skip, and spaces before punctuation cleaned up in
// decoded text. Immutable once built but for its cache of compiled chat
// templates, which a lock guards; any number of threads may use it.

#include "Hub/Config/Config.h"
#include "Jinja/Template.h"
#include "Tokenizers/AddedTokens/AddedTokensPattern.h"
#include "Tokenizers/Decoders/Decoder.h"
#include "Tokenizers/Normalizers/Normalizer.h"
#include "Tokenizers/PostProcessors/PostProcessor.h"
#include "Tokenizers/PreTokenizers/PreTokenizer.h"
#include "Tokenizers/PreTrainedTokenizerModel.h"
#include "Tokenizers/Tokenizer.h"

#include <atomic>
#include <cstddef>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

namespace Tokenizers {

// A tokenizer class name without any "Fast": GPT2TokenizerFast names the
// same class as GPT2Tokenizer.
std::string withoutFast(std::string className);

class PreTrainedTokenizer : public Tokenizer {
public:
    // Throws the stages' ConfigurationError, then TokenizerError
    // missingTokenizerClassInConfig without a class name, unsupportedTokenizer
    // for a class outside the model table when `strict` (else a warning line
    // and the BPE model), and whatever the model's construction throws.
    PreTrainedTokenizer(const Hub::Config& tokenizerConfig, const Hub::Config& tokenizerData, bool strict);

    std::vector<std::string> tokenize(std::string_view text) const override;
    std::vector<int> encode(std::string_view text) const override { return encode(text, true); }
    // Throws TokenizerError tokenWithoutId for a token that has no id.
    std::vector<int> encode(std::string_view text, bool addSpecialTokens) const override;
    using Tokenizer::decode;
    // Ids the model does not know are dropped.
    std::string decode(std::span<const int> tokens, bool skipSpecialTokens) const override;

    std::optional<int> convertTokenToId(std::string_view token) const override
    {
        return model_->convertTokenToId(token);
    }
    std::optional<std::string> convertIdToToken(int id) const override { return model_->convertIdToToken(id); }
    std::optional<std::string> bosToken() const override { return model_->bosToken(); }
    std::optional<int> bosTokenId() const override { return model_->bosTokenId(); }
    std::optional<std::string> eosToken() const override { return model_->eosToken(); }
    std::optional<int> eosTokenId() const override { return model_->eosTokenId(); }
    std::optional<std::string> unknownToken() const override { return model_->unknownToken(); }
    std::optional<int> unknownTokenId() const override { return model_->unknownTokenId(); }
    bool fuseUnknownTokens() const { return model_->fuseUnknownTokens(); }

    // Whether the configuration has a chat template of any form.
    bool hasChatTemplate() const override;

    std::vector<int> applyChatTemplate(const std::vector<Message>& messages) const override;
    std::vector<int> applyChatTemplate(const std::vector<Message>& messages,
                                       const std::optional<std::vector<ToolSpec>>& tools) const override;
    std::vector<int>
    applyChatTemplate(const std::vector<Message>& messages, const std::optional<std::vector<ToolSpec>>& tools,
                      const std::optional<std::map<std::string, std::any>>& additionalContext) const override;
    std::vector<int> applyChatTemplate(const std::vector<Message>& messages,
                                       const ChatTemplateArgument& chatTemplate) const override;
    std::vector<int> applyChatTemplate(const std::vector<Message>& messages,
                                       std::string_view chatTemplate) const override;
    std::vector<int> applyChatTemplate(const std::vector<Message>& messages,
                                       const std::optional<ChatTemplateArgument>& chatTemplate,
                                       bool addGenerationPrompt, bool truncation, std::optional<int> maxLength,
                                       const std::optional<std::vector<ToolSpec>>& tools) const override;
    // Besides the errors of every form: TokenizerError chatTemplate for a
    // configuration naming two templates alike, and for a negative maximum
    // length when truncating.
    std::vector<int>
    applyChatTemplate(const std::vector<Message>& messages, const std::optional<ChatTemplateArgument>& chatTemplate,
                      bool addGenerationPrompt, bool truncation, std::optional<int> maxLength,
                      const std::optional<std::vector<ToolSpec>>& tools,
                      const std::optional<std::map<std::string, std::any>>& additionalContext) const override;

    // The source compiled once for the tokenizer's life (both block options
    // off) and then shared; the lock is not held while compiling, so two
    // threads may compile one source and the first to store it wins. Throws
    // the template language's JinjaError and caches nothing then.
    virtual std::shared_ptr<const Jinja::Template> compiledTemplate(const std::string& source) const;
    // How many sources this tokenizer has compiled so far.
    std::size_t chatTemplateCompilations() const { return chatTemplateCompilations_; }

    std::vector<std::string> preTokenize(std::string_view text, const PreTokenizerOptions& options) const;
    std::string normalize(std::string_view text) const;
    std::vector<std::string> postProcess(const std::vector<std::string>& tokens, bool addSpecialTokens) const;
    std::vector<std::string> decodeTokens(const std::vector<std::string>& tokens) const;
    // Without clean-up the text as it is; with it, no space before . ? ! ,
    // and the English contractions, and " ' " made "'".
    std::string cleanUp(std::string_view text) const;
    // Of each run of unknown tokens only the first stays.
    std::vector<std::string> fuseUnknown(std::vector<std::string> tokens) const;

    const std::unordered_map<std::string, int>& specialTokens() const { return specialTokens_; }
    const Hub::Config& tokenizerConfig() const { return tokenizerConfig_; }

private:
    std::unique_ptr<PreTrainedTokenizerModel> model_;
    std::set<std::string> addedTokens_;
    std::unordered_map<std::string, int> specialTokens_;
    // None when there are no added tokens: the text is then one section.
    std::optional<AddedTokensPattern> addedTokensPattern_;
    std::unique_ptr<PreTokenizer> preTokenizer_;
    std::unique_ptr<Normalizer> normalizer_;
    std::unique_ptr<PostProcessor> postProcessor_;
    std::unique_ptr<Decoder> decoder_;
    Hub::Config tokenizerConfig_;
    bool cleanUpTokenizationSpaces_;

    mutable std::unordered_map<std::string, std::shared_ptr<const Jinja::Template>> compiledChatTemplateCache_;
    mutable std::mutex cacheLock_;
    mutable std::atomic<std::size_t> chatTemplateCompilations_ = 0;
};

} // namespace Tokenizers
