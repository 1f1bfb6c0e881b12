#pragma once

#include "RadozodEri/Core/TextDecoding.h"
#include "RuntimeCore/EarlyStopActor.h"

#include <memory>
#include <mutex>
#include <stop_token>
#include <utility>
#include <vector>

namespace RadozodEri {

class LanguageLogitsFilter;

// The engine's text decoder over the "TextDecoder" model. It keeps no state
// per window: several windows may be decoded at once on one decoder, each
// with its own DecodingInputs. Progress callbacks reach the caller only
// while the decoder is owned by a std::shared_ptr, since they run after the
// step that reports them and must not outlive the decoder.
class TextDecoder : public TextDecoding, public WhisperMLModel, public std::enable_shared_from_this<TextDecoder> {
public:
    using TextDecoding::decodeText;
    using TextDecoding::detectLanguage;

    TextDecoder();

    // One stop flag per window in flight, set by a callback that answers false.
    std::shared_ptr<RuntimeCore::EarlyStopActor> earlyStopActor = std::make_shared<RuntimeCore::EarlyStopActor>();

    // Read from the model on every call: the logits' dimension 2, the key
    // cache's dimensions 1 and 3, the encoder output's dimensions 3 and 1.
    bool supportsWordTimestamps() const override;
    std::optional<int> logitsSize() const override;
    std::optional<int> kvCacheEmbedDim() const override;
    std::optional<int> kvCacheMaxSequenceLength() const override;
    std::optional<int> windowSize() const override;
    std::optional<int> embedSize() const override;

    // Also drops the context-prefill model and the language filter built
    // for this model.
    void unloadModel() override;

    // At debug level: the first min(prefillSize + 4, 224) cache positions of
    // channel 0, with the alignment weight of the first audio position and
    // both masks.
    void debugCaches(const DecodingInputs& decoderInputs, int tokenIndex, int prefillSize) const;

    // WhisperError transcriptionFailed for an input that is not the record of
    // seven arrays; without a model, an output with neither logits nor cache.
    // WhisperError modelsUnavailable when the model lacks one of its outputs.
    std::optional<TextDecoderOutputType> predictLogits(const TextDecoderInputType& input,
                                                       std::stop_token stop = {}) override;
    // The same call on the seven arrays; nothing without a model.
    std::optional<std::pair<std::optional<Platform::CoreML::MLMultiArray>, std::optional<DecodingCache>>>
    predictLogits(const Platform::CoreML::MLMultiArray& inputIds, const Platform::CoreML::MLMultiArray& cacheLength,
                  const Platform::CoreML::MLMultiArray& keyCache, const Platform::CoreML::MLMultiArray& valueCache,
                  const Platform::CoreML::MLMultiArray& kvCacheUpdateMask,
                  const Platform::CoreML::MLMultiArray& encoderOutputEmbeds,
                  const Platform::CoreML::MLMultiArray& decoderKeyPaddingMask, std::stop_token stop = {});

    DecodingResult detectLanguage(const AudioEncoderOutputType& encoderOutput, DecodingInputsType& inputs,
                                  TokenSampling& sampler, const DecodingOptions& options,
                                  Platform::CoreML::Float16 temperature, std::stop_token stop = {}) override;

    // Feeds the forced prompt, then samples until the sampler completes the
    // window, the first token is too unlikely, the token budget is spent or
    // a callback asked to stop; the window's stop flag is removed however the
    // call ends.
    DecodingResult decodeText(const AudioEncoderOutputType& encoderOutput, DecodingInputsType& inputs,
                              TokenSampling& sampler, const DecodingOptions& options,
                              const ProgressCallback& callback = {}, std::stop_token stop = {}) override;

    // The filters of one window, in the order they apply: the configured
    // ones, then blank suppression at the first sampled position, the
    // suppressed tokens, and the timestamp rules.
    std::vector<std::shared_ptr<LogitsFiltering>> createLogitsFilters(const DecodingOptions& options,
                                                                      int prefilledIndex, int initialPromptIndex,
                                                                      const WhisperTokenizer& tokenizer) const;

private:
    // The language filter for `logitsSize` tokens, built by the first
    // detection; concurrent first detections share one.
    std::shared_ptr<LanguageLogitsFilter> languageFilter(int logitsSize);

    std::mutex languageFilterMutex_;
    std::shared_ptr<LanguageLogitsFilter> languageLogitsFilter_;
};

} // namespace RadozodEri
