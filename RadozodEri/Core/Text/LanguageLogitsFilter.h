#pragma once

#include "RadozodEri/Core/Text/LogitsFiltering.h"

#include <unordered_set>
#include <vector>

namespace RadozodEri {

// Leaves only language tokens to sample, for language detection.
class LanguageLogitsFilter : public LogitsFiltering {
public:
    // std::invalid_argument for a negative `logitsDim`.
    LanguageLogitsFilter(std::unordered_set<int> allLanguageTokens, int logitsDim, int sampleBegin);

    const std::unordered_set<int> allLanguageTokens;
    // The vocabulary size.
    const int logitsDim;
    const int sampleBegin;
    // Every id below `logitsDim` that is no language token, ascending.
    const std::vector<int> nonLanguageTokenIndexes;

    // Masks from `sampleBegin` tokens on.
    Platform::CoreML::MLMultiArray filterLogits(Platform::CoreML::MLMultiArray logits,
                                                std::span<const int> tokens) override;
};

} // namespace RadozodEri
