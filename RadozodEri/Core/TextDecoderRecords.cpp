#include "RadozodEri/Core/TextDecoderRecords.h"

namespace RadozodEri {
namespace {

constexpr std::array<RecordFeature<TextDecoderInput>, 7> kInputFeatures{{
    {"input_ids", &TextDecoderInput::input_ids},
    {"cache_length", &TextDecoderInput::cache_length},
    {"key_cache", &TextDecoderInput::key_cache},
    {"value_cache", &TextDecoderInput::value_cache},
    {"kv_cache_update_mask", &TextDecoderInput::kv_cache_update_mask},
    {"encoder_output_embeds", &TextDecoderInput::encoder_output_embeds},
    {"decoder_key_padding_mask", &TextDecoderInput::decoder_key_padding_mask},
}};

} // namespace

TextDecoderInput::TextDecoderInput(MLMultiArray input_ids, MLMultiArray cache_length, MLMultiArray key_cache,
                                   MLMultiArray value_cache, MLMultiArray kv_cache_update_mask,
                                   MLMultiArray encoder_output_embeds, MLMultiArray decoder_key_padding_mask)
    : input_ids(std::move(input_ids)),
      cache_length(std::move(cache_length)),
      key_cache(std::move(key_cache)),
      value_cache(std::move(value_cache)),
      kv_cache_update_mask(std::move(kv_cache_update_mask)),
      encoder_output_embeds(std::move(encoder_output_embeds)),
      decoder_key_padding_mask(std::move(decoder_key_padding_mask))
{
}

TextDecoderInput::TextDecoderInput(const MLShapedArray<std::int32_t>& input_ids,
                                   const MLShapedArray<std::int32_t>& cache_length,
                                   const MLShapedArray<float>& key_cache, const MLShapedArray<float>& value_cache,
                                   const MLShapedArray<float>& kv_cache_update_mask,
                                   const MLShapedArray<float>& encoder_output_embeds,
                                   const MLShapedArray<float>& decoder_key_padding_mask)
    : TextDecoderInput(MLMultiArray(input_ids), MLMultiArray(cache_length), MLMultiArray(key_cache),
                       MLMultiArray(value_cache), MLMultiArray(kv_cache_update_mask),
                       MLMultiArray(encoder_output_embeds), MLMultiArray(decoder_key_padding_mask))
{
}

std::span<const RecordFeature<TextDecoderInput>> TextDecoderInput::features() { return kInputFeatures; }

TextDecoderOutput::TextDecoderOutput(MLMultiArray logits, MLMultiArray key_cache_updates,
                                     MLMultiArray value_cache_updates, MLMultiArray /*logits_argmax*/)
    : OutputRecord(providerOf({{"logits", MLFeatureValue(std::move(logits))},
                               {"key_cache_updates", MLFeatureValue(std::move(key_cache_updates))},
                               {"value_cache_updates", MLFeatureValue(std::move(value_cache_updates))}}))
{
}

std::optional<MLShapedArray<Float16>> TextDecoderOutput::alignment_heads_weightsShapedArray() const
{
    if (const auto weights = alignment_heads_weights())
        return MLShapedArray<Float16>(*weights);
    return std::nullopt;
}

} // namespace RadozodEri
