#pragma once

#include "Platform/CoreML/MLFeatureValue.h"
#include "RadozodEri/Core/WhisperMLModel.h"

#include <optional>
#include <stop_token>

namespace RadozodEri {

// The values handed from the audio stage to the feature extractor and from
// there to the encoder. The engine's own stages hand on arrays; a replaced
// stage may hand on anything, and the next stage checks.
using AudioProcessorValue = Platform::CoreML::MLFeatureValue;
using FeatureExtractorOutputType = Platform::CoreML::MLFeatureValue;

// Turns one window of 16 kHz audio into log-mel features.
class FeatureExtracting {
public:
    virtual ~FeatureExtracting() = default;

    // Mel bands per frame; nothing while it cannot be known.
    virtual std::optional<int> melCount() const = 0;
    // Samples per window; nothing while it cannot be known.
    virtual std::optional<int> windowSamples() const = 0;
    virtual std::optional<FeatureExtractorOutputType> logMelSpectrogram(const AudioProcessorValue& audio,
                                                                        std::stop_token stop = {}) = 0;
};

// The feature extractor of the "MelSpectrogram" model: input "audio", output
// "melspectrogram_features". Holds no state per call, so several windows may
// be extracted at once.
class FeatureExtractor : public FeatureExtracting, public WhisperMLModel {
public:
    // Dimension 1 of the output's shape, read from the model on every call.
    std::optional<int> melCount() const override;
    // Dimension 0 of the input's shape, read from the model on every call.
    std::optional<int> windowSamples() const override;

    // The model's features for the window, handed on as the model made them.
    // WhisperError audioProcessingFailed for a value that is no array,
    // modelsUnavailable without a model; RuntimeCore::CancellationError once
    // `stop` is requested; prediction errors pass through.
    std::optional<FeatureExtractorOutputType> logMelSpectrogram(const AudioProcessorValue& audio,
                                                                std::stop_token stop = {}) override;
};

} // namespace RadozodEri
