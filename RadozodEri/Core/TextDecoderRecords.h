#pragma once

#include "RadozodEri/Core/FeatureRecords.h"

#include <cstdint>

namespace RadozodEri {

// The inputs of one decoding step of "TextDecoder": the token and its cache
// position, the key and value caches, the one-hot position the step writes,
// the encoder output, and the mask of positions the step may not attend to.
// It holds the caller's arrays themselves, so the model reads them uncopied.
class TextDecoderInput : public InputRecord<TextDecoderInput> {
public:
    TextDecoderInput(MLMultiArray input_ids, MLMultiArray cache_length, MLMultiArray key_cache, MLMultiArray value_cache,
                     MLMultiArray kv_cache_update_mask, MLMultiArray encoder_output_embeds,
                     MLMultiArray decoder_key_padding_mask);
    // Copies each shaped array into a new array.
    TextDecoderInput(const MLShapedArray<std::int32_t>& input_ids, const MLShapedArray<std::int32_t>& cache_length,
                     const MLShapedArray<float>& key_cache, const MLShapedArray<float>& value_cache,
                     const MLShapedArray<float>& kv_cache_update_mask, const MLShapedArray<float>& encoder_output_embeds,
                     const MLShapedArray<float>& decoder_key_padding_mask);

    static std::span<const RecordFeature<TextDecoderInput>> features();

    MLMultiArray input_ids;
    MLMultiArray cache_length;
    MLMultiArray key_cache;
    MLMultiArray value_cache;
    MLMultiArray kv_cache_update_mask;
    MLMultiArray encoder_output_embeds;
    MLMultiArray decoder_key_padding_mask;
};

// The outputs of one decoding step: the logits over the vocabulary, the keys
// and values to insert into the caches, and, from models that support word
// timestamps, the alignment heads' cross-attention weights.
class TextDecoderOutput : public OutputRecord {
public:
    using OutputRecord::OutputRecord;
    // A record of the first three arrays; the fourth is not kept.
    TextDecoderOutput(MLMultiArray logits, MLMultiArray key_cache_updates, MLMultiArray value_cache_updates,
                      MLMultiArray logits_argmax);

    // Throw MLModelError when the model lacks the feature.
    MLMultiArray logits() const { return requiredArray("logits"); }
    MLMultiArray key_cache_updates() const { return requiredArray("key_cache_updates"); }
    MLMultiArray value_cache_updates() const { return requiredArray("value_cache_updates"); }
    std::optional<MLMultiArray> alignment_heads_weights() const { return optionalArray("alignment_heads_weights"); }

    MLShapedArray<Float16> logitsShapedArray() const { return MLShapedArray<Float16>(logits()); }
    MLShapedArray<Float16> key_cache_updatesShapedArray() const { return MLShapedArray<Float16>(key_cache_updates()); }
    MLShapedArray<Float16> value_cache_updatesShapedArray() const
    {
        return MLShapedArray<Float16>(value_cache_updates());
    }
    std::optional<MLShapedArray<Float16>> alignment_heads_weightsShapedArray() const;
};

} // namespace RadozodEri
