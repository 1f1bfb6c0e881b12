#pragma once

// Lays out the tokens by a template from the file: "single" for one text,
// "pair" whenever a pair is given (even an empty one). A template item is a
// special token's text (added only when special tokens are asked for) or the
// sequence "A" (the text's tokens) or "B" (the pair's); other items add
// nothing.

#include "Hub/Config/Config.h"
#include "Tokenizers/PostProcessors/PostProcessor.h"

#include <variant>

namespace Tokenizers {

class TemplateProcessing : public PostProcessor {
public:
    // Both templates are required: "Missing `single` processor configuration"
    // and "Missing `pair` processor configuration".
    explicit TemplateProcessing(const Hub::Config& config);
    std::vector<std::string> postProcess(const std::vector<std::string>& tokens,
                                         const std::optional<std::vector<std::string>>& tokensPair,
                                         bool addSpecialTokens) const override;

    struct SpecialTokenItem {
        std::string text;
    };
    enum class SequenceItem { a, b };
    struct Nothing {};
    using Item = std::variant<SpecialTokenItem, SequenceItem, Nothing>;

private:
    std::vector<Item> single_;
    std::vector<Item> pair_;
};

} // namespace Tokenizers
