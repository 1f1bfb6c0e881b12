#pragma once

#include "Platform/Concurrency/ObjectPool.h"
#include "Platform/CoreML/Kinds/ModelComputation.h"
#include "Platform/CoreML/MLModelDescription.h"
#include "Platform/ML/Whisper/WhisperEncoder.h"

#include <memory>
#include <vector>

namespace Platform::CoreML {

class ModelFolder;

// The audio encoder of a Whisper model: the "encoder." weights and the
// model's hyper-parameters. Input "melspectrogram_features" [1, M, 1, 2·W]
// (band-major); output "encoder_output_embeds" [1, D, 1, W], channel-major.
class AudioEncoderKind : public ModelComputation {
public:
    static std::unique_ptr<ModelComputation> make(std::shared_ptr<const ModelFolder> folder);

    std::map<std::string, MLFeatureValue> predict(const MLFeatureProvider& inputs) const override;

private:
    // One caller's buffers.
    struct Workspace {
        explicit Workspace(const Platform::ML::WhisperModel& model);

        Platform::ML::WhisperEncoder encoder;
        std::vector<float> features;
        std::vector<float> positions; // [W][D], as the encoder writes it
        std::vector<float> channels;  // [D][W]
    };

    AudioEncoderKind(Platform::ML::WhisperModel model, MLMultiArrayConstraint output);

    Platform::ML::WhisperModel model_;
    MLMultiArrayConstraint output_;
    mutable ObjectPool<Workspace> workspaces_;
};

} // namespace Platform::CoreML
