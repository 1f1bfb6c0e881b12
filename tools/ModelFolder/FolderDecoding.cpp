#include "tools/ModelFolder/FolderDecoding.h"

#include "Platform/CoreML/MLModelError.h"

namespace QelTools {

using namespace Platform::CoreML;

MLMultiArray integerArray(int value)
{
    MLMultiArray array({1}, MLMultiArrayDataType::int32);
    array.mutableValues<std::int32_t>()[0] = value;
    return array;
}

MLMultiArray outputArray(const MLFeatureProvider& outputs, const std::string& name)
{
    const auto value = outputs.featureValue(name);
    if (!value || !value->multiArrayValue())
        throw MLModelError("the prediction gave no array '" + name + "'");
    return *value->multiArrayValue();
}

MLMultiArray predictArray(const MLModel& model, const std::string& input, const MLMultiArray& value,
                          const std::string& result)
{
    return outputArray(*model.prediction(MLDictionaryFeatureProvider({{input, MLFeatureValue(value)}})), result);
}

std::vector<float> arrayFloats(const MLMultiArray& array)
{
    std::vector<float> values(static_cast<std::size_t>(array.count()));
    for (std::int64_t i = 0; i < array.count(); ++i)
        values[static_cast<std::size_t>(i)] = static_cast<float>(array.number(i));
    return values;
}

namespace {

const std::vector<std::int64_t>& cacheShape(const MLModel& decoder)
{
    return decoder.modelDescription().inputDescriptionsByName.at("key_cache").multiArrayConstraint->shape;
}

// Writes one [1, E, 1, 1] update into position `position` of a [1, E, 1, S]
// cache. A folder declares its outputs: one that does not fit the cache is
// refused rather than copied past it.
void store(const MLMultiArray& update, MLMultiArray& cache, std::int64_t position)
{
    const std::vector<std::int64_t> fitting{1, cache.shape()[1], 1, 1};
    if (update.shape() != fitting || update.dataType() != MLMultiArrayDataType::float16)
        throw MLModelError("a cache update of " + std::to_string(update.count()) + " " +
                           std::string(multiArrayDataTypeNames.name(update.dataType())) +
                           " elements does not fit a cache of " + std::to_string(cache.shape()[1]) + " channels");
    if (position < 0 || position >= cache.shape()[3])
        throw MLModelError("position " + std::to_string(position) + " lies outside the cache");
    const auto source = update.values<Float16>();
    const auto target = cache.mutableValues<Float16>();
    const auto length = static_cast<std::size_t>(cache.shape()[3]);
    for (std::size_t c = 0; c < source.size(); ++c)
        target[c * length + static_cast<std::size_t>(position)] = source[c];
}

} // namespace

FolderDecoding::FolderDecoding(const MLModel& decoder, MLMultiArray audio)
    : keys(cacheShape(decoder), MLMultiArrayDataType::float16),
      values(cacheShape(decoder), MLMultiArrayDataType::float16),
      updateMask({1, cacheShape(decoder)[3]}, MLMultiArrayDataType::int32),
      paddingMask({1, cacheShape(decoder)[3]}, MLMultiArrayDataType::float16),
      decoder_(decoder),
      audio_(std::move(audio))
{
    restart();
}

void FolderDecoding::restart()
{
    for (std::int64_t i = 0; i < paddingMask.count(); ++i)
        paddingMask.setNumber(i, -10000);
    if (marked_ >= 0)
        updateMask.setNumber(marked_, 0);
    marked_ = -1;
}

FolderDecoding::Inputs FolderDecoding::inputs(int token, int position)
{
    if (marked_ >= 0)
        updateMask.setNumber(marked_, 0);
    updateMask.setNumber(position, 1);
    marked_ = position;
    paddingMask.setNumber(position, 0);
    return {{"input_ids", MLFeatureValue(integerArray(token))},
            {"cache_length", MLFeatureValue(integerArray(position))},
            {"key_cache", MLFeatureValue(keys)},
            {"value_cache", MLFeatureValue(values)},
            {"kv_cache_update_mask", MLFeatureValue(updateMask)},
            {"encoder_output_embeds", MLFeatureValue(audio_)},
            {"decoder_key_padding_mask", MLFeatureValue(paddingMask)}};
}

std::shared_ptr<const MLFeatureProvider> FolderDecoding::step(int token, int position)
{
    auto outputs = decoder_.prediction(MLDictionaryFeatureProvider(inputs(token, position)));
    store(outputArray(*outputs, "key_cache_updates"), keys, position);
    store(outputArray(*outputs, "value_cache_updates"), values, position);
    return outputs;
}

} // namespace QelTools
