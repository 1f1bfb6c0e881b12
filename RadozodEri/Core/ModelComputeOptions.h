#pragma once

#include "Platform/CoreML/MLComputeUnits.h"

namespace RadozodEri {

// The processors each of the engine's models may run on.
struct ModelComputeOptions {
    using MLComputeUnits = Platform::CoreML::MLComputeUnits;

    MLComputeUnits melCompute = MLComputeUnits::cpuAndGPU;
    MLComputeUnits audioEncoderCompute = MLComputeUnits::cpuAndNeuralEngine;
    MLComputeUnits textDecoderCompute = MLComputeUnits::cpuAndNeuralEngine;
    MLComputeUnits prefillCompute = MLComputeUnits::cpuOnly;

    bool operator==(const ModelComputeOptions&) const = default;
};

} // namespace RadozodEri
