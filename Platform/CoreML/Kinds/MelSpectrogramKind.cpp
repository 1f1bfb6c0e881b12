#include "Platform/CoreML/Kinds/MelSpectrogramKind.h"

#include "Platform/CoreML/Folder/ModelFolder.h"
#include "Platform/CoreML/Kinds/KindFeatures.h"
#include "Platform/CoreML/MLModelError.h"
#include "Platform/ML/Whisper/WhisperModel.h"

namespace Platform::CoreML {

using namespace KindFeatures;
using Platform::ML::kMelFftBins;
using Platform::ML::kMelHop;

namespace {

// The shortest window whose first and last frames can be centred by reflection.
constexpr std::int64_t kShortestWindow = 400;

} // namespace

std::unique_ptr<ModelComputation> MelSpectrogramKind::make(std::shared_ptr<const ModelFolder> folder)
{
    const auto& description = folder->description();
    const std::int64_t window = requiredFloats(description.inputDescriptionsByName, "audio", "input", {0}).shape[0];
    if (window < kShortestWindow || window % kMelHop != 0 || window > (std::int64_t{1} << 30))
        throw MLModelError("the input 'audio' holds " + std::to_string(window) + " samples, not a multiple of "
                           + std::to_string(kMelHop) + " from " + std::to_string(kShortestWindow));
    const auto* filters = folder->weight("mel_filters");
    if (!filters || filters->dataType != MLMultiArrayDataType::float32 || filters->shape.size() != 2
        || filters->shape[1] != kMelFftBins)
        throw MLModelError("the weight 'mel_filters' must be a float32 filter bank [bands, "
                           + std::to_string(kMelFftBins) + "]");
    const std::int64_t bands = filters->shape[0];
    const auto output = requiredFloats(description.outputDescriptionsByName, "melspectrogram_features", "output",
                                       {1, bands, 1, window / kMelHop});
    refuseOtherOutputs(description.outputDescriptionsByName, {"melspectrogram_features"}, "a mel spectrogram");
    const float* values = filters->values<float>().data();
    return std::unique_ptr<ModelComputation>(new MelSpectrogramKind(
        std::move(folder), values, static_cast<int>(bands), static_cast<int>(window), output));
}

MelSpectrogramKind::MelSpectrogramKind(std::shared_ptr<const ModelFolder> folder, const float* filters, int bands,
                                       int window, MLMultiArrayConstraint output)
    : folder_(std::move(folder)),
      output_(std::move(output)),
      workspaces_([=] { return std::make_unique<Workspace>(filters, bands, window); })
{
}

MelSpectrogramKind::Workspace::Workspace(const float* filters, int bands, int window)
    : mel(filters, bands, window), features(static_cast<std::size_t>(bands) * mel.frames())
{
}

std::map<std::string, MLFeatureValue> MelSpectrogramKind::predict(const MLFeatureProvider& inputs) const
{
    const MLMultiArray audio = inputArray(inputs, "audio");
    const auto workspace = workspaces_.take();
    workspace->mel.compute(floatsOf(audio, workspace->samples), audio.count(), workspace->features.data());
    return {{"melspectrogram_features", MLFeatureValue(floatArray(output_, workspace->features.data()))}};
}

} // namespace Platform::CoreML
