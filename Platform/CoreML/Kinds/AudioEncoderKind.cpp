#include "Platform/CoreML/Kinds/AudioEncoderKind.h"

#include "Platform/CoreML/Folder/ModelFolder.h"
#include "Platform/CoreML/Kinds/KindFeatures.h"
#include "Platform/CoreML/Kinds/WhisperFolderModel.h"
#include "Platform/ML/Ops/Transpose.h"

namespace Platform::CoreML {

using namespace KindFeatures;

std::unique_ptr<ModelComputation> AudioEncoderKind::make(std::shared_ptr<const ModelFolder> folder)
{
    const auto& description = folder->description();
    auto model = whisperModelOfFolder(folder, "encoder");
    const auto& hp = model.hparams;
    requiredFloats(description.inputDescriptionsByName, "melspectrogram_features", "input",
                   {1, hp.nMels, 1, model.melFrames()});
    const auto output = requiredFloats(description.outputDescriptionsByName, "encoder_output_embeds", "output",
                                       {1, hp.nAudioState, 1, hp.nAudioCtx});
    refuseOtherOutputs(description.outputDescriptionsByName, {"encoder_output_embeds"}, "an audio encoder");
    return std::unique_ptr<ModelComputation>(new AudioEncoderKind(std::move(model), output));
}

AudioEncoderKind::AudioEncoderKind(Platform::ML::WhisperModel model, MLMultiArrayConstraint output)
    : model_(std::move(model)),
      output_(std::move(output)),
      workspaces_([this] { return std::make_unique<Workspace>(model_); })
{
}

AudioEncoderKind::Workspace::Workspace(const Platform::ML::WhisperModel& model)
    : encoder(model),
      positions(static_cast<std::size_t>(model.hparams.nAudioCtx) * model.hparams.nAudioState),
      channels(positions.size())
{
}

std::map<std::string, MLFeatureValue> AudioEncoderKind::predict(const MLFeatureProvider& inputs) const
{
    const auto& hp = model_.hparams;
    const MLMultiArray features = inputArray(inputs, "melspectrogram_features");
    const auto workspace = workspaces_.take();
    workspace->encoder.encode(floatsOf(features, workspace->features), workspace->positions.data());
    Platform::ML::transpose(workspace->positions.data(), hp.nAudioCtx, hp.nAudioState, workspace->channels.data());
    return {{"encoder_output_embeds", MLFeatureValue(floatArray(output_, workspace->channels.data()))}};
}

} // namespace Platform::CoreML
