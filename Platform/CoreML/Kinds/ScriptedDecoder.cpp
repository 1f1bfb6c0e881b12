#include "Platform/CoreML/Kinds/ScriptedDecoder.h"

#include "Platform/CoreML/Folder/CheckedJSON.h"
#include "Platform/CoreML/Folder/ModelFolder.h"
#include "Platform/CoreML/Kinds/KindFeatures.h"
#include "Platform/CoreML/MLModelError.h"

#include <algorithm>

namespace Platform::CoreML {

using namespace KindFeatures;

std::unique_ptr<ModelComputation> ScriptedDecoder::make(std::shared_ptr<const ModelFolder> folder)
{
    const auto& inputs = folder->description().inputDescriptionsByName;
    const auto& outputs = folder->description().outputDescriptionsByName;
    std::unique_ptr<ScriptedDecoder> decoder(new ScriptedDecoder);

    requiredIntegers(inputs, "input_ids", "input", {1});
    requiredIntegers(inputs, "cache_length", "input", {1});
    const auto keyCache = requiredArray(inputs, "key_cache", "input", {1, 0, 1, 0}).shape;
    requiredArray(inputs, "value_cache", "input", {1, keyCache[1], 1, keyCache[3]});
    requiredArray(inputs, "kv_cache_update_mask", "input", {1, keyCache[3]});
    requiredArray(inputs, "decoder_key_padding_mask", "input", {1, keyCache[3]});
    const auto encoderOutput = requiredArray(inputs, "encoder_output_embeds", "input", {1, 0, 1, 0}).shape;
    decoder->sequenceLength_ = keyCache[3];
    decoder->windowSize_ = encoderOutput[3];
    if (keyCache[1] < 2)
        throw MLModelError("the key cache needs at least 2 channels to hold a token");

    decoder->logits_ = requiredArray(outputs, "logits", "output", {1, 1, 0});
    decoder->keyUpdates_ = requiredArray(outputs, "key_cache_updates", "output", {1, keyCache[1], 1, 1});
    decoder->valueUpdates_ = requiredArray(outputs, "value_cache_updates", "output", {1, keyCache[1], 1, 1});
    decoder->alignment_ = optionalArray(outputs, "alignment_heads_weights", "output", {1, encoderOutput[3]});
    refuseOtherOutputs(outputs, {"logits", "key_cache_updates", "value_cache_updates", "alignment_heads_weights"},
                       "a scripted decoder");

    const std::int64_t vocabulary = decoder->logits_.shape[2];
    const CheckedJSON::CodingPath where{"hyperParameters", "tokens"};
    const auto tokens =
        CheckedJSON::array(CheckedJSON::member(folder->hyperParameters(), "tokens", {"hyperParameters"}), where);
    if (tokens.Empty())
        throw JSON::DecodingError("is empty", where);
    for (rapidjson::SizeType i = 0; i < tokens.Size(); ++i)
        decoder->tokens_.push_back(CheckedJSON::integer(tokens[i], CheckedJSON::element(where, i), 0, vocabulary - 1));
    return decoder;
}

std::map<std::string, MLFeatureValue> ScriptedDecoder::predict(const MLFeatureProvider& inputs) const
{
    const std::int64_t position = firstInteger(inputs, "cache_length");
    const std::int64_t token = firstInteger(inputs, "input_ids");
    if (position < 0)
        throw MLModelError("cache_length holds " + std::to_string(position) + ", not a cache position");
    if (token < 0 || token >= logits_.shape[2])
        throw MLModelError("input_ids holds " + std::to_string(token) + ", not a token of the vocabulary");

    MLMultiArray logits(logits_.shape, logits_.dataType);
    const auto scripted = static_cast<std::size_t>(std::min<std::int64_t>(position, std::ssize(tokens_) - 1));
    logits.setNumber(tokens_[scripted], kScriptedLogit);

    MLMultiArray keys(keyUpdates_.shape, keyUpdates_.dataType);
    MLMultiArray values(valueUpdates_.shape, valueUpdates_.dataType);
    for (std::int64_t channel = 0; channel < keys.count(); ++channel) {
        keys.setNumber(channel, static_cast<double>(channel % 2 == 0 ? token / 1024 : token % 1024));
        values.setNumber(channel, static_cast<double>(position));
    }

    std::map<std::string, MLFeatureValue> outputs{
        {"logits", MLFeatureValue(logits)},
        {"key_cache_updates", MLFeatureValue(keys)},
        {"value_cache_updates", MLFeatureValue(values)},
    };
    if (alignment_) {
        MLMultiArray alignment(alignment_->shape, alignment_->dataType);
        alignment.setNumber(std::min(windowSize_ - 1, position * windowSize_ / sequenceLength_), 1);
        outputs.emplace("alignment_heads_weights", MLFeatureValue(alignment));
    }
    return outputs;
}

} // namespace Platform::CoreML
