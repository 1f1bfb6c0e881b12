#pragma once

// The WordPiece model of BERT-style tokenizers: words cut at white space and
// punctuation (CJK ideographs optionally words of their own), then split into
// the longest vocabulary pieces. Immutable once built; any number of threads
// may tokenize at once.

#include "Hub/Config/Config.h"
#include "Tokenizers/Models/VocabularyModel.h"
#include "Tokenizers/Models/WordPiece/BasicTokenizer.h"
#include "Tokenizers/Models/WordPiece/WordpieceTokenizer.h"

#include <optional>
#include <string>
#include <vector>

namespace Tokenizers {

class BertTokenizer : public VocabularyModel {
public:
    // `merges` is accepted for the model family's common form and not used.
    BertTokenizer(TextMap<int> vocab, const std::optional<std::vector<std::string>>& merges, bool tokenizeChineseChars,
                  std::optional<std::string> bosToken, std::optional<std::string> eosToken, bool fuseUnknownTokens,
                  bool doLowerCase);
    // The data's "model" must hold a "vocab" dictionary (else TokenizerError
    // missingVocab). The data's added tokens and then `addedTokens` replace
    // vocabulary ids of the same text.
    BertTokenizer(const Hub::Config& tokenizerConfig, const Hub::Config& tokenizerData,
                  const AddedTokenIds& addedTokens);

    // Texts outside the vocabulary convert to the id of "[UNK]", if it has one.
    std::vector<std::string> tokenize(std::string_view text) const override;

private:
    BasicTokenizer basicTokenizer_;
    WordpieceTokenizer wordpieceTokenizer_;
    bool tokenizeChineseChars_;
};

} // namespace Tokenizers
