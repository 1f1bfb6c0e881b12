#include "RadozodEri/Core/MelSpectrogramRecords.h"

namespace RadozodEri {
namespace {

constexpr std::array<RecordFeature<MelSpectrogramInput>, 1> kInputFeatures{{{"audio", &MelSpectrogramInput::audio}}};

} // namespace

std::span<const RecordFeature<MelSpectrogramInput>> MelSpectrogramInput::features() { return kInputFeatures; }

MelSpectrogramOutput::MelSpectrogramOutput(MLMultiArray melspectrogram_features)
    : OutputRecord(providerOf({{"melspectrogram_features", MLFeatureValue(std::move(melspectrogram_features))}}))
{
}

} // namespace RadozodEri
