#pragma once

#include "Platform/CoreML/MLFeatureProvider.h"

#include <map>
#include <string>

namespace Platform::CoreML {

// The computation behind one loaded model. It is built once from the model's
// folder and then only read: predict is called from any number of threads at
// once, each call with inputs already checked against the model's description,
// and must return exactly the outputs the description declares.
class ModelComputation {
public:
    virtual ~ModelComputation() = default;
    virtual std::map<std::string, MLFeatureValue> predict(const MLFeatureProvider& inputs) const = 0;
};

} // namespace Platform::CoreML
