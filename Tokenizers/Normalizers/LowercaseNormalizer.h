#pragma once

// The Unicode default lower-case mapping of the whole text, whatever the
// user's locale.

#include "Hub/Config/Config.h"
#include "Platform/Text/CaseMapping.h"
#include "Tokenizers/Normalizers/Normalizer.h"

namespace Tokenizers {

class LowercaseNormalizer : public Normalizer {
public:
    explicit LowercaseNormalizer(const Hub::Config&) {}
    std::string normalize(std::string_view text) const override { return Platform::lowercased(text); }
};

} // namespace Tokenizers
