#pragma once

#include "Platform/Concurrency/ObjectPool.h"
#include "Platform/CoreML/Kinds/ModelComputation.h"
#include "Platform/CoreML/MLModelDescription.h"
#include "Platform/ML/Whisper/MelSpectrogram.h"

#include <memory>
#include <vector>

namespace Platform::CoreML {

class ModelFolder;

// The log-mel spectrogram of one audio window. Weight: "mel_filters", the
// filter bank, float32 [M, 201]. Input "audio" [N] (N a multiple of 160, at
// least 400); output "melspectrogram_features" [1, M, 1, N / 160], band-major.
class MelSpectrogramKind : public ModelComputation {
public:
    static std::unique_ptr<ModelComputation> make(std::shared_ptr<const ModelFolder> folder);

    std::map<std::string, MLFeatureValue> predict(const MLFeatureProvider& inputs) const override;

private:
    // One caller's buffers.
    struct Workspace {
        Workspace(const float* filters, int bands, int window);

        Platform::ML::MelSpectrogram mel;
        std::vector<float> samples;
        std::vector<float> features;
    };

    MelSpectrogramKind(std::shared_ptr<const ModelFolder> folder, const float* filters, int bands, int window,
                       MLMultiArrayConstraint output);

    std::shared_ptr<const ModelFolder> folder_;
    MLMultiArrayConstraint output_;
    mutable ObjectPool<Workspace> workspaces_;
};

} // namespace Platform::CoreML
