#pragma once

// The last step of encoding: the token strings of a text, and of a second
// text when there is a pair, become the final list, with special tokens such
// as a classifier token and separators added when asked for. Members are
// immutable once built and may be used from several threads at once.

#include <optional>
#include <string>
#include <vector>

namespace Tokenizers {

class PostProcessor {
public:
    virtual ~PostProcessor() = default;
    virtual std::vector<std::string> postProcess(const std::vector<std::string>& tokens,
                                                 const std::optional<std::vector<std::string>>& tokensPair,
                                                 bool addSpecialTokens) const = 0;
    std::vector<std::string> operator()(const std::vector<std::string>& tokens,
                                        const std::optional<std::vector<std::string>>& tokensPair,
                                        bool addSpecialTokens) const
    {
        return postProcess(tokens, tokensPair, addSpecialTokens);
    }
};

} // namespace Tokenizers
