#pragma once

// Puts a fixed text ("prepend", empty when absent) in front of the text.

#include "Hub/Config/Config.h"
#include "Tokenizers/Normalizers/Normalizer.h"

namespace Tokenizers {

class PrependNormalizer : public Normalizer {
public:
    explicit PrependNormalizer(const Hub::Config& config) : prepend_(config.member("prepend").string(std::string())) {}
    std::string normalize(std::string_view text) const override { return prepend_ + std::string(text); }

private:
    std::string prepend_;
};

} // namespace Tokenizers
