#pragma once

#include "Platform/CoreML/MLComputeUnits.h"
#include "Platform/CoreML/MLModel.h"

#include <memory>
#include <string_view>

namespace RuntimeCore {

// Runs one prediction of the model on the calling thread and returns its
// outputs; the model's errors pass through unchanged. Callers that may be
// asked to stop check their stop flags before they call.
std::shared_ptr<const Platform::CoreML::MLFeatureProvider> asyncPrediction(
    const Platform::CoreML::MLModel& model, const Platform::CoreML::MLFeatureProvider& input,
    const Platform::CoreML::MLPredictionOptions& options);

// "cpuOnly", "cpuAndGPU", "all", "cpuAndNeuralEngine"; "unknown" for any other value.
std::string_view description(Platform::CoreML::MLComputeUnits units);
// "CPU", "GPU", "All", "Neural Engine"; "Unknown" for any other value.
std::string_view displayName(Platform::CoreML::MLComputeUnits units);

} // namespace RuntimeCore
