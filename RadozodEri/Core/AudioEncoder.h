#pragma once

#include "RadozodEri/Core/FeatureExtractor.h"

#include <optional>
#include <stop_token>

namespace RadozodEri {

// What the encoder hands to the text decoder; see FeatureExtractorOutputType.
using AudioEncoderOutputType = Platform::CoreML::MLFeatureValue;

// Turns the log-mel features of one window into encoder embeddings.
class AudioEncoding {
public:
    virtual ~AudioEncoding() = default;

    // Channels per audio position; nothing while it cannot be known.
    virtual std::optional<int> embedSize() const = 0;
    virtual std::optional<AudioEncoderOutputType> encodeFeatures(const FeatureExtractorOutputType& features,
                                                                 std::stop_token stop = {}) = 0;
};

// The encoder of the "AudioEncoder" model: input "melspectrogram_features",
// output "encoder_output_embeds". Holds no state per call, so several
// windows may be encoded at once.
class AudioEncoder : public AudioEncoding, public WhisperMLModel {
public:
    // Dimensions 1 and 3 of the output's shape, read from the model on every call.
    std::optional<int> embedSize() const override;
    std::optional<int> sequenceLength() const;

    // WhisperError audioProcessingFailed for a value that is no array;
    // otherwise as the array form.
    std::optional<AudioEncoderOutputType> encodeFeatures(const FeatureExtractorOutputType& features,
                                                         std::stop_token stop = {}) override;
    // The model's embeddings, as the model made them. WhisperError
    // modelsUnavailable without a model; RuntimeCore::CancellationError once
    // `stop` is requested; prediction errors pass through.
    std::optional<Platform::CoreML::MLMultiArray> encodeFeatures(const Platform::CoreML::MLMultiArray& features,
                                                                 std::stop_token stop = {});
};

} // namespace RadozodEri
