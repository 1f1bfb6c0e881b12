#include "RadozodEri/Core/TextDecoder.h"

#include "RadozodEri/Core/ModelPrediction.h"
#include "RadozodEri/Core/Text/LanguageLogitsFilter.h"
#include "RadozodEri/Core/Text/SuppressBlankFilter.h"
#include "RadozodEri/Core/Text/SuppressTokensFilter.h"
#include "RadozodEri/Core/Text/TimestampRulesFilter.h"
#include "RadozodEri/Core/TextDecoderRecords.h"
#include "RadozodEri/Utilities/WhisperError.h"
#include "RuntimeCore/Cancellation.h"
#include "RuntimeCore/Logging/Logging.h"
#include "RuntimeCore/Models/ModelHelpers.h"
#include "RuntimeCore/Models/ModelUtilities.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

namespace RadozodEri {

using Platform::CoreML::MLMultiArray;
using RuntimeCore::ModelUtilities::getModelInputDimension;
using RuntimeCore::ModelUtilities::getModelOutputDimension;

namespace {

// The seconds one timestamp token stands for.
constexpr double kTimestampStep = 0.02;
// Positions the debug dump shows at most.
constexpr int kMaxDumpedPositions = 224;

// The token index of the latest first timestamp, when it is given.
std::optional<int> maxInitialTimestampIndex(const DecodingOptions& options)
{
    if (!options.maxInitialTimestamp)
        return std::nullopt;
    const double index = std::trunc(*options.maxInitialTimestamp / kTimestampStep);
    if (!std::isfinite(index) || index < std::numeric_limits<int>::min() || index > std::numeric_limits<int>::max())
        throw WhisperError::decodingFailed("maxInitialTimestamp " + std::to_string(*options.maxInitialTimestamp) +
                                           " has no timestamp index");
    return static_cast<int>(index);
}

} // namespace

TextDecoder::TextDecoder()
{
    logitsFilters.emplace();
}

bool TextDecoder::supportsWordTimestamps() const
{
    return getModelOutputDimension(model(), "alignment_heads_weights", 0).has_value();
}

std::optional<int> TextDecoder::logitsSize() const
{
    return getModelOutputDimension(model(), "logits", 2);
}

std::optional<int> TextDecoder::kvCacheEmbedDim() const
{
    return getModelInputDimension(model(), "key_cache", 1);
}

std::optional<int> TextDecoder::kvCacheMaxSequenceLength() const
{
    return getModelInputDimension(model(), "key_cache", 3);
}

std::optional<int> TextDecoder::windowSize() const
{
    return getModelInputDimension(model(), "encoder_output_embeds", 3);
}

std::optional<int> TextDecoder::embedSize() const
{
    return getModelInputDimension(model(), "encoder_output_embeds", 1);
}

void TextDecoder::unloadModel()
{
    WhisperMLModel::unloadModel();
    prefillData.reset();
    const std::lock_guard lock(languageFilterMutex_);
    languageLogitsFilter_.reset();
}

void TextDecoder::debugCaches(const DecodingInputs& decoderInputs, int, int prefillSize) const
{
    if (RuntimeCore::Logging::shared().logLevel() > RuntimeCore::LogLevel::debug)
        return;
    const auto& keys = decoderInputs.keyCache;
    const std::int64_t window = decoderInputs.alignmentWeights.shape().back();
    // Rows past the masks' length do not exist in a model with a short cache.
    const std::int64_t rows =
        std::min<std::int64_t>({prefillSize + 4, kMaxDumpedPositions, decoderInputs.kvCacheUpdateMask.count(),
                                decoderInputs.alignmentWeights.shape().front()});
    RuntimeCore::Logging::debug("--------------- DECODER INPUTS DEBUG ---------------");
    char line[160];
    std::snprintf(line, sizeof line, "Cache Length: %2.0f Input Token: %4.0f", decoderInputs.cacheLength.number(0),
                  decoderInputs.inputIds.number(0));
    RuntimeCore::Logging::debug(std::string(line));
    RuntimeCore::Logging::debug("Key Cache | Val Cache | Align Cache | Update Mask | Decoder Mask | Position");
    for (std::int64_t i = 0; i < rows; ++i) {
        std::snprintf(line, sizeof line, "%9.6f | %9.6f | %9.6f | %11.0f | %12.0f | %d", keys.number(i),
                      decoderInputs.valueCache.number(i), decoderInputs.alignmentWeights.number(i * window),
                      decoderInputs.kvCacheUpdateMask.number(i), decoderInputs.decoderKeyPaddingMask.number(i),
                      static_cast<int>(i));
        RuntimeCore::Logging::debug(std::string(line));
    }
}

std::optional<TextDecoderOutputType> TextDecoder::predictLogits(const TextDecoderInputType& input, std::stop_token stop)
{
    const auto* arrays = std::get_if<TextDecoderMLMultiArrayInputType>(&input);
    if (!arrays)
        throw WhisperError::transcriptionFailed("Input must be TextDecoderMLMultiArrayInputType");
    auto outputs = predictLogits(arrays->inputIds, arrays->cacheLength, arrays->keyCache, arrays->valueCache,
                                 arrays->kvCacheUpdateMask, arrays->encoderOutputEmbeds, arrays->decoderKeyPaddingMask,
                                 std::move(stop));
    if (!outputs)
        return TextDecoderOutputType{};
    return TextDecoderOutputType{.logits = std::move(outputs->first), .cache = std::move(outputs->second)};
}

std::optional<std::pair<std::optional<MLMultiArray>, std::optional<DecodingCache>>>
TextDecoder::predictLogits(const MLMultiArray& inputIds, const MLMultiArray& cacheLength, const MLMultiArray& keyCache,
                           const MLMultiArray& valueCache, const MLMultiArray& kvCacheUpdateMask,
                           const MLMultiArray& encoderOutputEmbeds, const MLMultiArray& decoderKeyPaddingMask,
                           std::stop_token stop)
{
    const auto loaded = model();
    if (!loaded)
        return std::nullopt;
    const TextDecoderInput input(inputIds, cacheLength, keyCache, valueCache, kvCacheUpdateMask, encoderOutputEmbeds,
                                 decoderKeyPaddingMask);
    RuntimeCore::checkCancellation(stop);
    const auto outputs = RuntimeCore::asyncPrediction(*loaded, input, {});
    const auto alignment = outputs->featureValue("alignment_heads_weights");
    DecodingCache cache{.keyCache = requiredOutput(*outputs, "key_cache_updates"),
                        .valueCache = requiredOutput(*outputs, "value_cache_updates"),
                        .alignmentWeights = alignment ? alignment->multiArrayValue() : std::nullopt};
    return std::pair{std::optional(requiredOutput(*outputs, "logits")), std::optional(std::move(cache))};
}

std::vector<std::shared_ptr<LogitsFiltering>> TextDecoder::createLogitsFilters(const DecodingOptions& options, int,
                                                                               int initialPromptIndex,
                                                                               const WhisperTokenizer& tokenizer) const
{
    std::vector<std::shared_ptr<LogitsFiltering>> filters =
        logitsFilters.value_or(std::vector<std::shared_ptr<LogitsFiltering>>{});
    const SpecialTokens& special = tokenizer.specialTokens();
    // The blank filter acts when the tokens number exactly its sample begin,
    // which is the first sampled position: after the whole forced prompt,
    // however much of it the prefill covered.
    if (options.suppressBlank)
        filters.push_back(std::make_shared<SuppressBlankFilter>(special, initialPromptIndex));
    if (!options.supressTokens.empty()) {
        std::vector<int> textTokens;
        std::ranges::copy_if(options.supressTokens, std::back_inserter(textTokens),
                             [&](int token) { return token < special.specialTokenBegin; });
        filters.push_back(std::make_shared<SuppressTokensFilter>(std::move(textTokens)));
    }
    if (!options.withoutTimestamps)
        filters.push_back(std::make_shared<TimestampRulesFilter>(
            special, initialPromptIndex, maxInitialTimestampIndex(options), isModelMultilingual));
    return filters;
}

std::shared_ptr<LanguageLogitsFilter> TextDecoder::languageFilter(int logitsSize)
{
    const std::lock_guard lock(languageFilterMutex_);
    if (!languageLogitsFilter_)
        languageLogitsFilter_ = std::make_shared<LanguageLogitsFilter>(tokenizer->allLanguageTokens(), logitsSize, 0);
    return languageLogitsFilter_;
}

} // namespace RadozodEri
