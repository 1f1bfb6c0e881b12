#pragma once

// The four Unicode normalization forms as normalizers. "StripAccents" is form
// KC as well and removes no accent: stored tokenizer files rely on that.

#include "Hub/Config/Config.h"
#include "Platform/Text/Normalization.h"
#include "Tokenizers/Normalizers/Normalizer.h"

namespace Tokenizers {

template <std::string (*form)(std::string_view)>
class UnicodeFormNormalizer : public Normalizer {
public:
    explicit UnicodeFormNormalizer(const Hub::Config&) {}
    std::string normalize(std::string_view text) const override { return form(text); }
};

using NFDNormalizer = UnicodeFormNormalizer<&Platform::nfd>;
using NFCNormalizer = UnicodeFormNormalizer<&Platform::nfc>;
using NFKDNormalizer = UnicodeFormNormalizer<&Platform::nfkd>;
using NFKCNormalizer = UnicodeFormNormalizer<&Platform::nfkc>;
using StripAccentsNormalizer = UnicodeFormNormalizer<&Platform::nfkc>;

} // namespace Tokenizers
