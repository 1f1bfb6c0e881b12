#pragma once

#include "Platform/CoreML/MLFeatureProvider.h"
#include "Platform/CoreML/MLModelConfiguration.h"
#include "Platform/CoreML/MLModelDescription.h"

#include <filesystem>
#include <memory>

namespace Platform::CoreML {

class ModelFolder;
class ModelComputation;

// A loaded model: a folder NAME.mlmodelc in this runtime's own format and the
// computation its kind names. Read-only once loaded, so any number of threads
// may predict with one model at once.
class MLModel {
public:
    // Opens and checks the folder; its weights are mapped, not read. Throws
    // MLModelError naming the folder and the problem.
    static std::shared_ptr<const MLModel> load(const std::filesystem::path& folder,
                                               const MLModelConfiguration& configuration = {});
    ~MLModel();

    const MLModelDescription& modelDescription() const;
    const MLModelConfiguration& configuration() const { return configuration_; }

    // Runs one prediction and returns its outputs. Throws MLModelError when an
    // input the model declares is missing or of another kind, element type or
    // shape (a float input takes 16-bit or 32-bit floats alike), or when the
    // computation cannot run on the values given.
    std::shared_ptr<const MLFeatureProvider> prediction(const MLFeatureProvider& input,
                                                        const MLPredictionOptions& options = {}) const;

private:
    MLModel(std::shared_ptr<const ModelFolder> folder, std::unique_ptr<ModelComputation> computation,
            const MLModelConfiguration& configuration);

    std::shared_ptr<const ModelFolder> folder_;
    std::unique_ptr<ModelComputation> computation_;
    MLModelConfiguration configuration_;
};

} // namespace Platform::CoreML
