#pragma once

// A fixed clean-up followed by form KC: control characters go, line breaks,
// invisible spaces and the word marker U+2581 become spaces. Form KC is taken
// piece by piece between fullwidth tildes, which it would otherwise turn into
// plain ones. A character map stored with the configuration is not used.

#include "Hub/Config/Config.h"
#include "Tokenizers/Normalizers/Normalizer.h"

namespace Tokenizers {

class PrecompiledNormalizer : public Normalizer {
public:
    explicit PrecompiledNormalizer(const Hub::Config&) {}
    std::string normalize(std::string_view text) const override;
};

} // namespace Tokenizers
