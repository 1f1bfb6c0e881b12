#pragma once

#include "Platform/CoreML/MLMultiArray.h"

#include <vector>

namespace RadozodEri {

// The tokens of a window so far, each with its log probability.
struct SamplingResult {
    std::vector<int> tokens{};
    std::vector<float> logProbs{};
    // The window needs no more tokens.
    bool completed = false;

    bool operator==(const SamplingResult&) const = default;
};

// Picks the next token from the filtered logits of the newest position.
class TokenSampling {
public:
    virtual ~TokenSampling() = default;

    // The tokens and log probabilities with the new token appended. The
    // logits are 16-bit floats shaped [1, 1, V], index = token id.
    virtual SamplingResult update(const std::vector<int>& tokens, const Platform::CoreML::MLMultiArray& logits,
                                  const std::vector<float>& logProbs) = 0;
    // The window's tokens, closed with the end of text.
    virtual SamplingResult finalize(const std::vector<int>& tokens, const std::vector<float>& logProbs) = 0;
};

} // namespace RadozodEri
