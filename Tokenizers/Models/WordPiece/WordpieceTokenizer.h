#pragma once

// The sub-word split of BERT-style tokenizers: a word becomes the longest
// vocabulary pieces from its start, later pieces marked "##"; a word that the
// pieces cannot cover, or one longer than 100 characters, is "[UNK]".

#include "Tokenizers/Models/VocabularyModel.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace Tokenizers {

class WordpieceTokenizer {
public:
    static constexpr std::string_view unkToken = "[UNK]";
    static constexpr std::size_t maxInputCharsPerWord = 100;

    explicit WordpieceTokenizer(std::shared_ptr<const VocabularyTable> vocab);

    std::vector<std::string> tokenize(std::string_view word) const;

private:
    std::shared_ptr<const VocabularyTable> vocab_;
};

} // namespace Tokenizers
