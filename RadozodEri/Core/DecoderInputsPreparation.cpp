#include "RadozodEri/Core/TextDecoding.h"

#include "RadozodEri/Utilities/WhisperError.h"
#include "RuntimeCore/Models/MultiArrayHelpers.h"

namespace RadozodEri {

using Platform::CoreML::MLMultiArrayDataType;

namespace {
constexpr double kMasked = -10000;

int requiredSize(std::optional<int> size, const char* name)
{
    if (!size)
        throw WhisperError::prepareDecoderInputsFailed(std::string("Unable to determine ") + name);
    return *size;
}
} // namespace

std::shared_ptr<DecodingInputs> TextDecoding::prepareDecoderInputs(const std::vector<int>& prompt)
{
    const std::int64_t embed = requiredSize(kvCacheEmbedDim(), "kvCacheEmbedDim");
    const std::int64_t sequence = requiredSize(kvCacheMaxSequenceLength(), "kvCacheMaxSequenceLength");
    const std::int64_t window = requiredSize(windowSize(), "encoderOutputDim");

    using RuntimeCore::emptyMultiArray;
    const std::vector<std::int64_t> cacheShape{1, embed, 1, sequence};
    auto inputIds = emptyMultiArray({1}, MLMultiArrayDataType::int32);
    auto cacheLength = emptyMultiArray({1}, MLMultiArrayDataType::int32);
    auto keyCache = emptyMultiArray(cacheShape, MLMultiArrayDataType::float16);
    auto valueCache = emptyMultiArray(cacheShape, MLMultiArrayDataType::float16);
    auto alignmentWeights = emptyMultiArray({sequence, window}, MLMultiArrayDataType::float16);
    auto updateMask = emptyMultiArray({1, sequence}, MLMultiArrayDataType::int32);
    auto paddingMask = RuntimeCore::multiArray({1, sequence}, MLMultiArrayDataType::float16,
                                               Platform::CoreML::Float16(static_cast<float>(kMasked)));
    // Zero-filled like the rest, so that a prefill that never comes leaves
    // nothing undefined to read.
    auto prefillKeyCache = emptyMultiArray(cacheShape, MLMultiArrayDataType::float16);
    auto prefillValueCache = emptyMultiArray(cacheShape, MLMultiArrayDataType::float16);
    updateMask.setNumber(0, 1);
    paddingMask.setNumber(0, 0);
    return std::make_shared<DecodingInputs>(prompt, std::move(inputIds), std::move(cacheLength), std::move(keyCache),
                                            std::move(valueCache), std::move(alignmentWeights), std::move(updateMask),
                                            std::move(paddingMask), std::move(prefillKeyCache),
                                            std::move(prefillValueCache));
}

std::vector<DecodingResult> TextDecoding::decodeText(const Platform::CoreML::MLMultiArray& encoderOutput,
                                                     DecodingInputs& inputs, TokenSampling& sampler,
                                                     const DecodingOptions& options, const ProgressCallback& callback,
                                                     std::stop_token stop)
{
    return {decodeText(Platform::CoreML::MLFeatureValue(encoderOutput), inputs, sampler, options, callback,
                       std::move(stop))};
}

std::vector<DecodingResult> TextDecoding::detectLanguage(const Platform::CoreML::MLMultiArray& encoderOutput,
                                                         DecodingInputs& inputs, TokenSampling& sampler,
                                                         const DecodingOptions& options,
                                                         Platform::CoreML::Float16 temperature, std::stop_token stop)
{
    return {detectLanguage(Platform::CoreML::MLFeatureValue(encoderOutput), inputs, sampler, options, temperature,
                           std::move(stop))};
}

} // namespace RadozodEri
