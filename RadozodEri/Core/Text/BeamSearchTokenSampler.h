#pragma once

#include "RadozodEri/Core/Text/TokenSampling.h"

#include <vector>

namespace RadozodEri {

// The settings of a beam search that nothing builds: it cannot sample yet,
// and says so instead of returning tokens.
class BeamSearchTokenSampler : public TokenSampling {
public:
    // std::invalid_argument "Invalid beam size B or patience P" when
    // beamSize × patience, truncated, is not a positive integer.
    BeamSearchTokenSampler(int beamSize, int eotToken, float patience);

    int beamSize;
    int eotToken;
    float patience;

    int maxCandidates() const { return maxCandidates_; }
    const std::vector<float>& finishedSequences() const { return finishedSequences_; }

    void reset() { finishedSequences_.clear(); }

    // Both throw std::logic_error "Not implemented: …".
    SamplingResult update(const std::vector<int>& tokens, const Platform::CoreML::MLMultiArray& logits,
                          const std::vector<float>& logProbs) override;
    SamplingResult finalize(const std::vector<int>& tokens, const std::vector<float>& logProbs) override;

private:
    int maxCandidates_;
    std::vector<float> finishedSequences_;
};

} // namespace RadozodEri
