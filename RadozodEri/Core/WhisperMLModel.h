#pragma once

#include "Platform/CoreML/MLComputeUnits.h"
#include "Platform/CoreML/MLModel.h"
#include "RuntimeCore/Models/ModelState.h"

#include <filesystem>
#include <memory>

namespace RadozodEri {

// A component of the engine that wraps one compiled model (the feature
// extractor, the audio encoder, the text decoder, the context-prefill holder),
// so the engine can load, prewarm and unload them all alike. The model is
// written only while the engine loads or unloads; predictions only read it.
class WhisperMLModel {
public:
    virtual ~WhisperMLModel() = default;

    // Empty means not loaded.
    const std::shared_ptr<const Platform::CoreML::MLModel>& model() const { return model_; }
    void setModel(std::shared_ptr<const Platform::CoreML::MLModel> model) { model_ = std::move(model); }

    // Loads the compiled model at `location` for the compute units and keeps
    // it. With `prewarmMode` the model is loaded in full and dropped at once,
    // together with any model held before, so the load's work is done without
    // keeping the model in memory. A failed load throws the loader's error and
    // keeps the model held before.
    virtual void loadModel(const std::filesystem::path& location, Platform::CoreML::MLComputeUnits computeUnits,
                           bool prewarmMode);

    // Releases the model.
    virtual void unloadModel() { model_.reset(); }

    // Loaded when a model is held, unloaded otherwise.
    RuntimeCore::ModelState modelState() const
    {
        return model_ ? RuntimeCore::ModelState::loaded : RuntimeCore::ModelState::unloaded;
    }

private:
    std::shared_ptr<const Platform::CoreML::MLModel> model_;
};

} // namespace RadozodEri
