#pragma once

#include "Platform/CoreML/Kinds/ModelComputation.h"
#include "Platform/CoreML/MLModelDescription.h"

#include <memory>

namespace Platform::CoreML {

class ModelFolder;

// A model of declared features and nothing else: every prediction answers
// zeros of each declared output's shape and type (0 for an integer output).
// It lets callers be tested against any geometry, including models that lack
// a feature or declare one that is not an array.
class ShapeOnly : public ModelComputation {
public:
    static std::unique_ptr<ModelComputation> make(std::shared_ptr<const ModelFolder> folder);

    std::map<std::string, MLFeatureValue> predict(const MLFeatureProvider& inputs) const override;

private:
    explicit ShapeOnly(std::map<std::string, MLFeatureDescription> outputs) : outputs_(std::move(outputs)) {}

    std::map<std::string, MLFeatureDescription> outputs_;
};

} // namespace Platform::CoreML
