#pragma once

#include "Platform/CoreML/MLFeatureValue.h"
#include "Platform/CoreML/MLMultiArrayDataType.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace Platform::CoreML {

// The shape and element type an array feature must have.
struct MLMultiArrayConstraint {
    std::vector<std::int64_t> shape;
    MLMultiArrayDataType dataType = MLMultiArrayDataType::float32;
};

struct MLFeatureDescription {
    std::string name;
    MLFeatureType type = MLFeatureType::multiArray;
    // Present exactly for array features.
    std::optional<MLMultiArrayConstraint> multiArrayConstraint;
};

// A model's inputs and outputs by name.
struct MLModelDescription {
    std::map<std::string, MLFeatureDescription> inputDescriptionsByName;
    std::map<std::string, MLFeatureDescription> outputDescriptionsByName;
};

} // namespace Platform::CoreML
