#pragma once

#include "Platform/CoreML/MLComputeUnits.h"

namespace Platform::CoreML {

// How a model is loaded.
struct MLModelConfiguration {
    MLComputeUnits computeUnits = MLComputeUnits::all;
};

// How one prediction runs; nothing to choose here.
struct MLPredictionOptions {};

} // namespace Platform::CoreML
