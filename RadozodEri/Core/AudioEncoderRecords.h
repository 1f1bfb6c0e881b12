#pragma once

#include "RadozodEri/Core/FeatureRecords.h"

namespace RadozodEri {

// The input of "AudioEncoder": one window's log-mel features.
class AudioEncoderInput : public InputRecord<AudioEncoderInput> {
public:
    explicit AudioEncoderInput(MLMultiArray melspectrogram_features)
        : melspectrogram_features(std::move(melspectrogram_features))
    {
    }
    // Copies the shaped array into a new array.
    explicit AudioEncoderInput(const MLShapedArray<float>& melspectrogram_features)
        : melspectrogram_features(melspectrogram_features)
    {
    }

    static std::span<const RecordFeature<AudioEncoderInput>> features();

    MLMultiArray melspectrogram_features;
};

// The output of "AudioEncoder": the window's embeddings.
class AudioEncoderOutput : public OutputRecord {
public:
    using OutputRecord::OutputRecord;
    explicit AudioEncoderOutput(MLMultiArray encoder_output_embeds);

    // Throws MLModelError when the model lacks the feature.
    MLMultiArray encoder_output_embeds() const { return requiredArray("encoder_output_embeds"); }
    MLShapedArray<Float16> encoder_output_embedsShapedArray() const
    {
        return MLShapedArray<Float16>(encoder_output_embeds());
    }
};

} // namespace RadozodEri
