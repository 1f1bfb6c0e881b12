#pragma once

// A cut of normalized text into the pieces that the vocabulary model then
// tokenizes one by one. Pieces are whole substrings, in text order. Members
// are immutable once built and may be used from several threads at once.

#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace Tokenizers {

enum class PreTokenizerOption {
    firstSection, // the text is the first section of the input (before any added token)
};

using PreTokenizerOptions = std::set<PreTokenizerOption>;

class PreTokenizer {
public:
    virtual ~PreTokenizer() = default;

    virtual std::vector<std::string> preTokenize(std::string_view text, const PreTokenizerOptions& options) const = 0;

    // The pieces of each text in turn, with the same options.
    std::vector<std::string> preTokenize(const std::vector<std::string>& texts,
                                         const PreTokenizerOptions& options) const;
    std::vector<std::string> operator()(const std::vector<std::string>& texts, const PreTokenizerOptions& options) const
    {
        return preTokenize(texts, options);
    }
    std::vector<std::string> operator()(std::string_view text, const PreTokenizerOptions& options) const
    {
        return preTokenize(text, options);
    }
};

} // namespace Tokenizers
