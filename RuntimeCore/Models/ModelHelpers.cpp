#include "RuntimeCore/Models/ModelHelpers.h"

#include <array>

namespace RuntimeCore {
namespace {

using Platform::CoreML::MLComputeUnits;

struct ComputeUnitsTexts {
    MLComputeUnits units;
    std::string_view description;
    std::string_view displayName;
};

constexpr std::array kComputeUnitsTexts{
    ComputeUnitsTexts{MLComputeUnits::cpuOnly, "cpuOnly", "CPU"},
    ComputeUnitsTexts{MLComputeUnits::cpuAndGPU, "cpuAndGPU", "GPU"},
    ComputeUnitsTexts{MLComputeUnits::all, "all", "All"},
    ComputeUnitsTexts{MLComputeUnits::cpuAndNeuralEngine, "cpuAndNeuralEngine", "Neural Engine"},
};
// Nothing for a raw value that names no choice.
const ComputeUnitsTexts* textsOf(MLComputeUnits units)
{
    for (const auto& texts : kComputeUnitsTexts)
        if (texts.units == units)
            return &texts;
    return nullptr;
}

} // namespace

std::shared_ptr<const Platform::CoreML::MLFeatureProvider> asyncPrediction(
    const Platform::CoreML::MLModel& model, const Platform::CoreML::MLFeatureProvider& input,
    const Platform::CoreML::MLPredictionOptions& options)
{
    return model.prediction(input, options);
}

std::string_view description(MLComputeUnits units)
{
    const auto* texts = textsOf(units);
    return texts ? texts->description : "unknown";
}

std::string_view displayName(MLComputeUnits units)
{
    const auto* texts = textsOf(units);
    return texts ? texts->displayName : "Unknown";
}

} // namespace RuntimeCore
