#pragma once

// The clean-up that BERT-style vocabularies expect, each step switched by its
// key: "cleanText" (tab, line feed and carriage return become a space, control
// and other invisible characters go), "handleChineseChars" (spaces around
// each CJK ideograph), "stripAccents" (combining diacritical marks go; it
// follows "lowercase" when absent) and "lowercase". All default to true.

#include "Hub/Config/Config.h"
#include "Tokenizers/Normalizers/Normalizer.h"

namespace Tokenizers {

class BertNormalizer : public Normalizer {
public:
    explicit BertNormalizer(const Hub::Config& config);
    std::string normalize(std::string_view text) const override;

private:
    bool shouldCleanText_;
    bool shouldHandleChineseChars_;
    bool shouldStripAccents_;
    bool shouldLowercase_;
};

} // namespace Tokenizers
