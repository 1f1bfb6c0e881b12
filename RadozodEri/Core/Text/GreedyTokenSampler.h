#pragma once

#include "RadozodEri/Core/DecodingOptions.h"
#include "RadozodEri/Core/Text/TokenSampling.h"

#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

namespace RadozodEri {

// Takes the most likely token at temperature 0; above it draws from the
// temperature-scaled distribution of the `topK` most likely tokens. One
// sampler serves one decoding attempt on one thread.
class GreedyTokenSampler : public TokenSampling {
public:
    // 64 random bits per call; a draw uses the low 24.
    using RandomBits = std::function<std::uint64_t()>;

    // Without a random source the sampler seeds a 64-bit generator of its own.
    GreedyTokenSampler(float temperature, int eotToken, DecodingOptions decodingOptions, RandomBits random = {});

    // Kept in half precision, as the logits are: 0.2 is 0.199951171875.
    Platform::ML::Float16 temperature;
    int eotToken;
    // Only `topK` is read; it is clamped to 1…V.
    DecodingOptions decodingOptions;

    // WhisperError decodingLogitsFailed for logits of another shape or type,
    // or when every score is masked.
    SamplingResult update(const std::vector<int>& tokens, const Platform::CoreML::MLMultiArray& logits,
                          const std::vector<float>& logProbs) override;
    SamplingResult finalize(const std::vector<int>& tokens, const std::vector<float>& logProbs) override;

private:
    // (token, log probability).
    std::pair<int, float> sample(const Platform::CoreML::MLMultiArray& logits);
    // A position among the candidates, by weight.
    std::size_t drawCandidate();

    RandomBits random_;
    // Reused at every step, so that no step after the first allocates.
    std::vector<float> scores_;
    // (score, then probability; token), the `topK` best, most probable first.
    std::vector<std::pair<float, int>> candidates_;
};

} // namespace RadozodEri
