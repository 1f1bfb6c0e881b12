#include "RadozodEri/Core/FeatureExtractor.h"

#include "RadozodEri/Core/MelSpectrogramRecords.h"
#include "RadozodEri/Core/ModelPrediction.h"
#include "RadozodEri/Utilities/WhisperError.h"
#include "RuntimeCore/Models/ModelUtilities.h"

namespace RadozodEri {

namespace {
const Platform::Signposter& signposter()
{
    static const Platform::Signposter instance(Platform::Logger(engineSubsystem, "FeatureExtractor"));
    return instance;
}
} // namespace

std::optional<int> FeatureExtractor::melCount() const
{
    return RuntimeCore::ModelUtilities::getModelOutputDimension(model(), "melspectrogram_features", 1);
}

std::optional<int> FeatureExtractor::windowSamples() const
{
    return RuntimeCore::ModelUtilities::getModelInputDimension(model(), "audio", 0);
}

std::optional<FeatureExtractorOutputType> FeatureExtractor::logMelSpectrogram(const AudioProcessorValue& audio,
                                                                              std::stop_token stop)
{
    auto samples = audio.multiArrayValue();
    if (!samples)
        throw WhisperError::audioProcessingFailed("FeatureExtractor input must be MLMultiArray");
    const auto loaded = model();
    if (!loaded)
        throw WhisperError::modelsUnavailable("Models are unavailable");
    const MelSpectrogramInput input(*std::move(samples));
    const auto outputs = signpostedPrediction(*loaded, input, "ExtractAudioFeatures", signposter(), stop);
    return MLFeatureValue(requiredOutput(*outputs, "melspectrogram_features"));
}

} // namespace RadozodEri
