#include "RadozodEri/Core/TextDecoderCachePrefillRecords.h"

namespace RadozodEri {
namespace {

constexpr std::array<RecordFeature<TextDecoderCachePrefillInput>, 2> kInputFeatures{{
    {"task", &TextDecoderCachePrefillInput::task},
    {"language", &TextDecoderCachePrefillInput::language},
}};

} // namespace

std::span<const RecordFeature<TextDecoderCachePrefillInput>> TextDecoderCachePrefillInput::features() { return kInputFeatures; }

TextDecoderCachePrefillOutput::TextDecoderCachePrefillOutput(MLMultiArray key_cache_prefill,
                                                             MLMultiArray value_cache_prefill)
    : OutputRecord(providerOf({{"key_cache_prefill", MLFeatureValue(std::move(key_cache_prefill))},
                               {"value_cache_prefill", MLFeatureValue(std::move(value_cache_prefill))}}))
{
}

} // namespace RadozodEri
