#pragma once

#include "RadozodEri/Core/FeatureRecords.h"

#include <cstdint>

namespace RadozodEri {

// The inputs of "TextDecoderContextPrefill": the task (1 to translate, 0 to
// transcribe) and the language token.
class TextDecoderCachePrefillInput : public InputRecord<TextDecoderCachePrefillInput> {
public:
    TextDecoderCachePrefillInput(MLMultiArray task, MLMultiArray language)
        : task(std::move(task)), language(std::move(language))
    {
    }
    // Copies each shaped array into a new array.
    TextDecoderCachePrefillInput(const MLShapedArray<std::int32_t>& task, const MLShapedArray<std::int32_t>& language)
        : task(task), language(language)
    {
    }

    static std::span<const RecordFeature<TextDecoderCachePrefillInput>> features();

    MLMultiArray task;
    MLMultiArray language;
};

// The outputs of "TextDecoderContextPrefill": the key and value caches of the
// task and language prefix.
class TextDecoderCachePrefillOutput : public OutputRecord {
public:
    using OutputRecord::OutputRecord;
    TextDecoderCachePrefillOutput(MLMultiArray key_cache_prefill, MLMultiArray value_cache_prefill);

    // Throw MLModelError when the model lacks the feature.
    MLMultiArray key_cache_prefill() const { return requiredArray("key_cache_prefill"); }
    MLMultiArray value_cache_prefill() const { return requiredArray("value_cache_prefill"); }
    MLShapedArray<Float16> key_cache_prefillShapedArray() const { return MLShapedArray<Float16>(key_cache_prefill()); }
    MLShapedArray<Float16> value_cache_prefillShapedArray() const
    {
        return MLShapedArray<Float16>(value_cache_prefill());
    }
};

} // namespace RadozodEri
