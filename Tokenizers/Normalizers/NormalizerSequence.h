#pragma once

// Normalizers applied one after the other.

#include "Hub/Config/Config.h"
#include "Tokenizers/Normalizers/Normalizer.h"

#include <memory>
#include <vector>

namespace Tokenizers {

class NormalizerSequence : public Normalizer {
public:
    // Reads "normalizers"; without that array: "No normalizers in Sequence".
    explicit NormalizerSequence(const Hub::Config& config);
    std::string normalize(std::string_view text) const override;

private:
    std::vector<std::unique_ptr<Normalizer>> normalizers_;
};

} // namespace Tokenizers
