#pragma once

#include "Platform/CoreML/MLMultiArray.h"
#include "RadozodEri/Core/AudioEncoder.h"
#include "RadozodEri/Core/DecodingCache.h"
#include "RadozodEri/Core/DecodingInputs.h"
#include "RadozodEri/Core/DecodingOptions.h"
#include "RadozodEri/Core/DecodingResult.h"
#include "RadozodEri/Core/TranscriptionProgress.h"
#include "RadozodEri/Core/WhisperMLModel.h"
#include "RadozodEri/Core/WhisperTokenizer.h"

#include <functional>
#include <memory>
#include <optional>
#include <stop_token>
#include <variant>
#include <vector>

namespace RadozodEri {

class LogitsFiltering;
class TokenSampling;

// The seven arrays of one decoder step, in the model's input order.
struct TextDecoderMLMultiArrayInputType {
    Platform::CoreML::MLMultiArray inputIds;
    Platform::CoreML::MLMultiArray cacheLength;
    Platform::CoreML::MLMultiArray keyCache;
    Platform::CoreML::MLMultiArray valueCache;
    Platform::CoreML::MLMultiArray kvCacheUpdateMask;
    Platform::CoreML::MLMultiArray encoderOutputEmbeds;
    Platform::CoreML::MLMultiArray decoderKeyPaddingMask;
};

// What a decoder step may be handed; only the record of seven arrays is run.
using TextDecoderInputType = std::variant<TextDecoderMLMultiArrayInputType, Platform::CoreML::MLMultiArray>;

// What one decoder step gave: the logits and the cache updates, each absent
// when no model ran.
struct TextDecoderMLMultiArrayOutputType {
    std::optional<Platform::CoreML::MLMultiArray> logits{};
    std::optional<DecodingCache> cache{};
};
using TextDecoderOutputType = TextDecoderMLMultiArrayOutputType;

// Called after every decoded token of a window; false asks the decoder to
// stop the window early, true or nothing lets it go on.
using ProgressCallback = std::function<std::optional<bool>(const TranscriptionProgress&)>;

// Decodes the tokens of audio windows from their encoder embeddings, one
// model call per token with a key-value cache the caller keeps in
// DecodingInputs. The four settings below are written while the engine
// loads its models and only read while it decodes.
class TextDecoding {
public:
    virtual ~TextDecoding() = default;

    std::shared_ptr<const WhisperTokenizer> tokenizer;
    // Holds the optional context-prefill model.
    std::shared_ptr<WhisperMLModel> prefillData;
    bool isModelMultilingual = false;
    // Applied before the built-in filters of every window.
    std::optional<std::vector<std::shared_ptr<LogitsFiltering>>> logitsFilters;

    virtual bool supportsWordTimestamps() const = 0;
    // The vocabulary size.
    virtual std::optional<int> logitsSize() const = 0;
    // E, S and W of the buffers (see prepareDecoderInputs), and the encoder
    // output's channels.
    virtual std::optional<int> kvCacheEmbedDim() const = 0;
    virtual std::optional<int> kvCacheMaxSequenceLength() const = 0;
    virtual std::optional<int> windowSize() const = 0;
    virtual std::optional<int> embedSize() const = 0;

    // One model call. Throws RuntimeCore::CancellationError once `stop` is
    // requested.
    virtual std::optional<TextDecoderOutputType> predictLogits(const TextDecoderInputType& input,
                                                               std::stop_token stop = {}) = 0;

    // The buffers of one audio, at the model's full sequence length:
    // input ids and cache length [1] (int32), key and value caches and the
    // prefill's caches [1, E, 1, S] (float16), alignment weights [S, W]
    // (float16), the update mask [1, S] (int32, one-hot at 0) and the
    // padding mask [1, S] (float16, 0 at position 0, -10000 after). All are
    // zero-filled first. WhisperError prepareDecoderInputsFailed naming the
    // size the model does not tell.
    virtual std::shared_ptr<DecodingInputs> prepareDecoderInputs(const std::vector<int>& prompt);

    // Builds the window's forced prompt from the options and, when the
    // options allow it and a context-prefill model is held, fills the first
    // cache positions from that model in one call. Returns `inputs`, changed
    // in place.
    virtual DecodingInputsType& prefillDecoderInputs(DecodingInputsType& inputs,
                                                     const std::optional<DecodingOptions>& options,
                                                     std::stop_token stop = {});
    // The context-prefill model's key and value caches for a task and a
    // language token (int32 arrays [1]); nothing without that model.
    virtual std::optional<DecodingCache> prefillKVCache(const Platform::CoreML::MLMultiArray& task,
                                                        const Platform::CoreML::MLMultiArray& language,
                                                        std::stop_token stop = {});

    // Decodes one window of the audio whose embeddings are `encoderOutput`.
    virtual DecodingResult decodeText(const AudioEncoderOutputType& encoderOutput, DecodingInputsType& inputs,
                                      TokenSampling& sampler, const DecodingOptions& options,
                                      const ProgressCallback& callback = {}, std::stop_token stop = {}) = 0;
    std::vector<DecodingResult> decodeText(const Platform::CoreML::MLMultiArray& encoderOutput, DecodingInputs& inputs,
                                           TokenSampling& sampler, const DecodingOptions& options,
                                           const ProgressCallback& callback = {}, std::stop_token stop = {});

    // The language spoken in one window, from one model call; the options
    // and the temperature do not change it, the sampler's own temperature does.
    virtual DecodingResult detectLanguage(const AudioEncoderOutputType& encoderOutput, DecodingInputsType& inputs,
                                          TokenSampling& sampler, const DecodingOptions& options,
                                          Platform::CoreML::Float16 temperature, std::stop_token stop = {}) = 0;
    std::vector<DecodingResult> detectLanguage(const Platform::CoreML::MLMultiArray& encoderOutput,
                                               DecodingInputs& inputs, TokenSampling& sampler,
                                               const DecodingOptions& options, Platform::CoreML::Float16 temperature,
                                               std::stop_token stop = {});

    // Copies every position k of the [1, E, 1, n] float16 slices to position
    // insertAtIndex + k of the [1, E, 1, S] float16 caches. The caller keeps
    // insertAtIndex + n ≤ S.
    static void updateKVCache(Platform::CoreML::MLMultiArray& keyTensor, const Platform::CoreML::MLMultiArray& keySlice,
                              Platform::CoreML::MLMultiArray& valueTensor,
                              const Platform::CoreML::MLMultiArray& valueSlice, int insertAtIndex);
    // Writes the [1, W] float16 weights of the token predicted at
    // insertAtIndex to row insertAtIndex + 1 of the [S, W] float16 buffer.
    static void updateAlignmentWeights(Platform::CoreML::MLMultiArray& alignmentTensor,
                                       const Platform::CoreML::MLMultiArray& alignmentSlice, int insertAtIndex);
};

} // namespace RadozodEri
