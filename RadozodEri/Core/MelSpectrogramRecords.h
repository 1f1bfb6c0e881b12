#pragma once

#include "RadozodEri/Core/FeatureRecords.h"

namespace RadozodEri {

// The input of "MelSpectrogram": one window of audio samples.
class MelSpectrogramInput : public InputRecord<MelSpectrogramInput> {
public:
    explicit MelSpectrogramInput(MLMultiArray audio) : audio(std::move(audio)) {}
    // Copies the shaped array into a new array.
    explicit MelSpectrogramInput(const MLShapedArray<float>& audio) : audio(audio) {}

    static std::span<const RecordFeature<MelSpectrogramInput>> features();

    MLMultiArray audio;
};

// The output of "MelSpectrogram": the window's log-mel features.
class MelSpectrogramOutput : public OutputRecord {
public:
    using OutputRecord::OutputRecord;
    explicit MelSpectrogramOutput(MLMultiArray melspectrogram_features);

    // Throws MLModelError when the model lacks the feature.
    MLMultiArray melspectrogramFeatures() const { return requiredArray("melspectrogram_features"); }
    MLShapedArray<Float16> melspectrogram_featuresShapedArray() const
    {
        return MLShapedArray<Float16>(melspectrogramFeatures());
    }
};

} // namespace RadozodEri
