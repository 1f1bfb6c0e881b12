#include "RadozodEri/Core/DecodingInputs.h"

#include <algorithm>
#include <stdexcept>
#include <string>

namespace RadozodEri {

namespace {
constexpr double kMasked = -10000;
}

DecodingInputs::DecodingInputs(std::vector<int> initialPrompt, Platform::CoreML::MLMultiArray inputIds,
                               Platform::CoreML::MLMultiArray cacheLength, Platform::CoreML::MLMultiArray keyCache,
                               Platform::CoreML::MLMultiArray valueCache, Platform::CoreML::MLMultiArray alignmentWeights,
                               Platform::CoreML::MLMultiArray kvCacheUpdateMask,
                               Platform::CoreML::MLMultiArray decoderKeyPaddingMask,
                               Platform::CoreML::MLMultiArray prefillKeyCache,
                               Platform::CoreML::MLMultiArray prefillValueCache)
    : DecodingInputsType(std::move(initialPrompt), std::move(inputIds), std::move(cacheLength)),
      keyCache(std::move(keyCache)),
      valueCache(std::move(valueCache)),
      alignmentWeights(std::move(alignmentWeights)),
      kvCacheUpdateMask(std::move(kvCacheUpdateMask)),
      decoderKeyPaddingMask(std::move(decoderKeyPaddingMask)),
      prefillKeyCache(std::move(prefillKeyCache)),
      prefillValueCache(std::move(prefillValueCache))
{
}

void DecodingInputs::reset(int prefilledCacheSize, int maxTokenContext)
{
    if (maxTokenContext < 0)
        throw std::invalid_argument("A token context of " + std::to_string(maxTokenContext)
                                    + " positions cannot be reset to");
    if (maxTokenContext > std::min(kvCacheUpdateMask.count(), decoderKeyPaddingMask.count()))
        throw std::out_of_range("A token context of " + std::to_string(maxTokenContext)
                                + " positions is longer than the decoder's masks");
    cacheLength.setNumber(0, prefilledCacheSize);
    for (int i = 0; i < maxTokenContext; ++i) {
        decoderKeyPaddingMask.setNumber(i, i <= prefilledCacheSize ? 0 : kMasked);
        kvCacheUpdateMask.setNumber(i, 0);
    }
    if (maxTokenContext > 0 && prefilledCacheSize >= 0)
        kvCacheUpdateMask.setNumber(std::min(prefilledCacheSize, maxTokenContext - 1), 1);
}

} // namespace RadozodEri
