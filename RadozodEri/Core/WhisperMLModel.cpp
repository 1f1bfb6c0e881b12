#include "RadozodEri/Core/WhisperMLModel.h"

namespace RadozodEri {

void WhisperMLModel::loadModel(const std::filesystem::path& location, Platform::CoreML::MLComputeUnits computeUnits,
                               bool prewarmMode)
{
    Platform::CoreML::MLModelConfiguration configuration;
    configuration.computeUnits = computeUnits;
    auto loaded = Platform::CoreML::MLModel::load(location, configuration);
    if (prewarmMode)
        model_.reset();
    else
        model_ = std::move(loaded);
}

} // namespace RadozodEri
