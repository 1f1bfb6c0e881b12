#pragma once

#include "RadozodEri/Core/SpecialTokens.h"
#include "RadozodEri/Core/Text/LogitsFiltering.h"

namespace RadozodEri {

// Keeps a window from starting with a blank: the first sampled token is
// neither the space nor the end of text.
class SuppressBlankFilter : public LogitsFiltering {
public:
    // `sampleBegin`: the token count at which the first token is sampled.
    SuppressBlankFilter(SpecialTokens specialTokens, int sampleBegin)
        : specialTokens(specialTokens), sampleBegin(sampleBegin)
    {
    }

    const SpecialTokens specialTokens;
    const int sampleBegin;

    Platform::CoreML::MLMultiArray filterLogits(Platform::CoreML::MLMultiArray logits,
                                                std::span<const int> tokens) override;
};

} // namespace RadozodEri
