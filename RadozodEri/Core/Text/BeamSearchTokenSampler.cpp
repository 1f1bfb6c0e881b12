#include "RadozodEri/Core/Text/BeamSearchTokenSampler.h"

#include "RuntimeCore/Logging/TextualForm.h"

#include <cmath>
#include <limits>
#include <stdexcept>
#include <string>

namespace RadozodEri {

namespace {

int candidateCount(int beamSize, float patience)
{
    const float product = static_cast<float>(beamSize) * patience;
    if (std::isfinite(product) && product < static_cast<float>(std::numeric_limits<int>::max()) &&
        static_cast<int>(product) > 0)
        return static_cast<int>(product);
    throw std::invalid_argument("Invalid beam size " + std::to_string(beamSize) + " or patience " +
                                RuntimeCore::textualForm(patience));
}

} // namespace

BeamSearchTokenSampler::BeamSearchTokenSampler(int beamSize, int eotToken, float patience)
    : beamSize(beamSize), eotToken(eotToken), patience(patience), maxCandidates_(candidateCount(beamSize, patience))
{
}

SamplingResult BeamSearchTokenSampler::update(const std::vector<int>&, const Platform::CoreML::MLMultiArray&,
                                              const std::vector<float>&)
{
    throw std::logic_error("Not implemented: update(tokens:logits:logProbs:)");
}

SamplingResult BeamSearchTokenSampler::finalize(const std::vector<int>&, const std::vector<float>&)
{
    throw std::logic_error("Not implemented: finalize(tokens:logProbs:)");
}

} // namespace RadozodEri
