#pragma once

// A tokenizer whose tokens are byte pieces: decoding joins the pieces and
// turns bytes that form no whole character into U+FFFD, as byte-level
// tokenizers do. Special tokens are whole texts with ids of their own.

#include "Platform/Text/UnicodeScalars.h"
#include "Tokenizers/Tokenizer.h"
#include "Tokenizers/TokenizerError.h"

#include <map>
#include <string>
#include <vector>

namespace TestSupport {

class ByteTokenizer : public Tokenizers::Tokenizer {
public:
    ByteTokenizer(std::vector<std::string> pieces, std::map<std::string, int> specialTokens)
        : pieces_(std::move(pieces)), specialTokens_(std::move(specialTokens))
    {
    }

    std::vector<std::string> tokenize(std::string_view text) const override
    {
        std::vector<std::string> tokens;
        for (int id : encode(text))
            tokens.push_back(pieces_[id]);
        return tokens;
    }

    std::vector<int> encode(std::string_view text, bool) const override { return encode(text); }

    // Whole pieces only: enough for texts made of the vocabulary's pieces.
    std::vector<int> encode(std::string_view text) const override
    {
        std::vector<int> ids;
        while (!text.empty()) {
            int best = -1;
            for (int id = 0; id < static_cast<int>(pieces_.size()); ++id)
                if (text.starts_with(pieces_[id]) && (best < 0 || pieces_[id].size() > pieces_[best].size()))
                    best = id;
            if (best < 0)
                break;
            ids.push_back(best);
            text.remove_prefix(pieces_[best].size());
        }
        return ids;
    }

    using Tokenizers::Tokenizer::decode;
    std::string decode(std::span<const int> tokens, bool) const override
    {
        std::string bytes;
        for (int id : tokens)
            bytes += convertIdToToken(id).value_or("");
        return Platform::validUTF8(bytes);
    }

    std::optional<int> convertTokenToId(std::string_view token) const override
    {
        for (std::size_t id = 0; id < pieces_.size(); ++id)
            if (pieces_[id] == token)
                return static_cast<int>(id);
        auto special = specialTokens_.find(std::string(token));
        return special == specialTokens_.end() ? std::nullopt : std::optional(special->second);
    }

    std::optional<std::string> convertIdToToken(int id) const override
    {
        if (id >= 0 && id < static_cast<int>(pieces_.size()))
            return pieces_[id];
        for (const auto& [text, specialId] : specialTokens_)
            if (specialId == id)
                return text;
        return std::nullopt;
    }

    std::optional<std::string> bosToken() const override { return std::nullopt; }
    std::optional<int> bosTokenId() const override { return std::nullopt; }
    std::optional<std::string> eosToken() const override { return std::nullopt; }
    std::optional<int> eosTokenId() const override { return std::nullopt; }
    std::optional<std::string> unknownToken() const override { return std::nullopt; }
    std::optional<int> unknownTokenId() const override { return std::nullopt; }

    using Context = std::map<std::string, std::any>;
    using Tools = std::optional<std::vector<Tokenizers::ToolSpec>>;
    using Messages = std::vector<Tokenizers::Message>;
    std::vector<int> applyChatTemplate(const Messages&) const override { return noTemplate(); }
    std::vector<int> applyChatTemplate(const Messages&, const Tools&) const override { return noTemplate(); }
    std::vector<int> applyChatTemplate(const Messages&, const Tools&, const std::optional<Context>&) const override
    {
        return noTemplate();
    }
    std::vector<int> applyChatTemplate(const Messages&, const Tokenizers::ChatTemplateArgument&) const override
    {
        return noTemplate();
    }
    std::vector<int> applyChatTemplate(const Messages&, std::string_view) const override { return noTemplate(); }
    std::vector<int> applyChatTemplate(const Messages&, const std::optional<Tokenizers::ChatTemplateArgument>&, bool,
                                       bool, std::optional<int>, const Tools&) const override
    {
        return noTemplate();
    }
    std::vector<int> applyChatTemplate(const Messages&, const std::optional<Tokenizers::ChatTemplateArgument>&, bool,
                                       bool, std::optional<int>, const Tools&,
                                       const std::optional<Context>&) const override
    {
        return noTemplate();
    }

private:
    static std::vector<int> noTemplate() { throw Tokenizers::TokenizerError::missingChatTemplate(); }

    std::vector<std::string> pieces_;
    std::map<std::string, int> specialTokens_;
};

} // namespace TestSupport
