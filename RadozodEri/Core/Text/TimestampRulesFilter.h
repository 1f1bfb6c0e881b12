#pragma once

#include "RadozodEri/Core/SpecialTokens.h"
#include "RadozodEri/Core/Text/LogitsFiltering.h"

#include <optional>

namespace RadozodEri {

// Keeps timestamp tokens in order: the no-timestamps token is never sampled,
// timestamps come in pairs and never decrease, and a timestamp is forced
// when the timestamps together are more likely than any single text token.
class TimestampRulesFilter : public LogitsFiltering {
public:
    TimestampRulesFilter(SpecialTokens specialTokens, int sampleBegin, std::optional<int> maxInitialTimestampIndex,
                         bool isModelMultilingual)
        : specialTokens(specialTokens), sampleBegin(sampleBegin), maxInitialTimestampIndex(maxInitialTimestampIndex),
          isModelMultilingual(isModelMultilingual)
    {
    }

    const SpecialTokens specialTokens;
    // The length of the forced prompt.
    const int sampleBegin;
    // Kept for the decoder's record; the rules do not limit the first
    // timestamp.
    const std::optional<int> maxInitialTimestampIndex;
    const bool isModelMultilingual;

    Platform::CoreML::MLMultiArray filterLogits(Platform::CoreML::MLMultiArray logits,
                                                std::span<const int> tokens) override;

private:
    // Where sampling starts in `tokens`. A multilingual prompt must name its
    // task among its first three tokens; a prompt that does not (one with
    // previous context) gets no timestamp rules.
    std::optional<int> sampleBeginFor(std::span<const int> tokens) const;
};

} // namespace RadozodEri
