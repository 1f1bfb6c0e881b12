#include "RadozodEri/Core/AudioEncoder.h"

#include "RadozodEri/Core/AudioEncoderRecords.h"
#include "RadozodEri/Core/ModelPrediction.h"
#include "RadozodEri/Utilities/WhisperError.h"
#include "RuntimeCore/Models/ModelUtilities.h"

namespace RadozodEri {

namespace {
const Platform::Signposter& signposter()
{
    static const Platform::Signposter instance(Platform::Logger(engineSubsystem, "AudioEncoding"));
    return instance;
}
} // namespace

std::optional<int> AudioEncoder::embedSize() const
{
    return RuntimeCore::ModelUtilities::getModelOutputDimension(model(), "encoder_output_embeds", 1);
}

std::optional<int> AudioEncoder::sequenceLength() const
{
    return RuntimeCore::ModelUtilities::getModelOutputDimension(model(), "encoder_output_embeds", 3);
}

std::optional<AudioEncoderOutputType> AudioEncoder::encodeFeatures(const FeatureExtractorOutputType& features,
                                                                   std::stop_token stop)
{
    const auto array = features.multiArrayValue();
    if (!array)
        throw WhisperError::audioProcessingFailed("AudioEncoder input must be MLMultiArray");
    auto embeddings = encodeFeatures(*array, stop);
    if (!embeddings)
        return std::nullopt;
    return MLFeatureValue(*std::move(embeddings));
}

std::optional<Platform::CoreML::MLMultiArray>
AudioEncoder::encodeFeatures(const Platform::CoreML::MLMultiArray& features, std::stop_token stop)
{
    const auto loaded = model();
    if (!loaded)
        throw WhisperError::modelsUnavailable("Models are unavailable");
    const AudioEncoderInput input(features);
    const auto outputs = signpostedPrediction(*loaded, input, "EncodeAudio", signposter(), stop);
    return requiredOutput(*outputs, "encoder_output_embeds");
}

} // namespace RadozodEri
