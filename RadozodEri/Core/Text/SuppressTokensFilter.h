#pragma once

#include "RadozodEri/Core/Text/LogitsFiltering.h"

#include <vector>

namespace RadozodEri {

// Forbids a fixed set of tokens at every step.
class SuppressTokensFilter : public LogitsFiltering {
public:
    explicit SuppressTokensFilter(std::vector<int> suppressTokens) : suppressTokens(std::move(suppressTokens)) {}

    const std::vector<int> suppressTokens;

    Platform::CoreML::MLMultiArray filterLogits(Platform::CoreML::MLMultiArray logits,
                                                std::span<const int> tokens) override;
};

} // namespace RadozodEri
