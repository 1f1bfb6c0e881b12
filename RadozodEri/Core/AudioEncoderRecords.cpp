#include "RadozodEri/Core/AudioEncoderRecords.h"

namespace RadozodEri {
namespace {

constexpr std::array<RecordFeature<AudioEncoderInput>, 1> kInputFeatures{
    {{"melspectrogram_features", &AudioEncoderInput::melspectrogram_features}}};

} // namespace

std::span<const RecordFeature<AudioEncoderInput>> AudioEncoderInput::features() { return kInputFeatures; }

AudioEncoderOutput::AudioEncoderOutput(MLMultiArray encoder_output_embeds)
    : OutputRecord(providerOf({{"encoder_output_embeds", MLFeatureValue(std::move(encoder_output_embeds))}}))
{
}

} // namespace RadozodEri
