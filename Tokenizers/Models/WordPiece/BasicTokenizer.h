#pragma once

// The word split of BERT-style tokenizers: white space (space separators and
// the tab, not line breaks) separates words, and every punctuation character
// is a word of its own. The five bracketed markers such as "[CLS]" stay whole
// and keep their capitals.

#include <string>
#include <string_view>
#include <vector>

namespace Tokenizers {

class BasicTokenizer {
public:
    explicit BasicTokenizer(bool doLowerCase);

    // With lower-casing, accents are folded away and words lower-cased first.
    std::vector<std::string> tokenize(std::string_view text) const;

    bool doLowerCase() const { return doLowerCase_; }

private:
    bool doLowerCase_;
};

} // namespace Tokenizers
