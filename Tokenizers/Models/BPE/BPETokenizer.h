#pragma once

// The byte-pair-encoding model: a pre-token's characters merged by the ranks
// of a merges list, the pieces looked up in the vocabulary, and a piece the
// vocabulary lacks written as byte tokens ("<0xE2>"). Immutable once built;
// any number of threads may tokenize at once.

#include "Hub/Config/Config.h"
#include "Tokenizers/Models/BPE/MergeRanks.h"
#include "Tokenizers/Models/VocabularyModel.h"

#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace Tokenizers {

class BPETokenizer : public VocabularyModel {
public:
    // The data's "model" must hold "merges" (else ConfigurationError "BPETokenizer
    // requires merges") and a "vocab" dictionary (else TokenizerError
    // missingVocab). Added tokens take the place of vocabulary entries of the
    // same text. The special tokens and "fuseUnk" come from the configuration.
    BPETokenizer(const Hub::Config& tokenizerConfig, const Hub::Config& tokenizerData,
                 const AddedTokenIds& addedTokens);

    // The entries of a merges list: strings split at every space, arrays as
    // their strings; none when the value is no array.
    static std::optional<std::vector<std::vector<std::string>>> mergesFromConfig(const Hub::Config& merges);
    // One "<0xHH>" token per UTF-8 byte of the text.
    static std::vector<std::string> hexaEncode(std::string_view text);

    // The token's merged pieces joined by single spaces.
    std::string bpe(std::string_view token) const;
    std::vector<std::string> tokenize(std::string_view text) const override;

private:
    // The merges are read before the vocabulary, so a file without either
    // fails for its merges.
    struct Parts {
        MergeRanks ranks;
        TextMap<int> tokensToIds;
    };
    static Parts read(const Hub::Config& tokenizerData, const AddedTokenIds& addedTokens);
    BPETokenizer(const Hub::Config& tokenizerConfig, Parts parts);

    MergeRanks bpeRanks_;
};

} // namespace Tokenizers
