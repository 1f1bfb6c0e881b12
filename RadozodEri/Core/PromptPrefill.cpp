#include "RadozodEri/Core/TextDecoding.h"

#include "RadozodEri/Core/ModelPrediction.h"
#include "RadozodEri/Core/TextDecoderCachePrefillRecords.h"
#include "RadozodEri/Utilities/WhisperError.h"
#include "RuntimeCore/Cancellation.h"
#include "RuntimeCore/Logging/Logging.h"
#include "RuntimeCore/Models/ModelHelpers.h"
#include "RuntimeCore/Models/MultiArrayHelpers.h"

#include <algorithm>
#include <iterator>

namespace RadozodEri {

using Platform::CoreML::MLMultiArray;
using Platform::CoreML::MLMultiArrayDataType;

namespace {

// Previous-context tokens and prefix tokens a prompt keeps at most.
constexpr std::size_t kMaxPromptTokens = 111;
constexpr std::size_t kMaxPrefixTokens = 112;

// The text tokens among the last `limit` of `tokens`, in order.
std::vector<int> lastTextTokens(const std::vector<int>& tokens, std::size_t limit, int specialTokenBegin)
{
    std::vector<int> kept;
    const auto first = tokens.end() - static_cast<std::ptrdiff_t>(std::min(limit, tokens.size()));
    std::copy_if(first, tokens.end(), std::back_inserter(kept), [&](int token) { return token < specialTokenBegin; });
    return kept;
}

// A prefill's cache must be [1, E, 1, n] halves with 1 ≤ n < S, so that it
// fits the window's caches with room left for decoding.
void checkPrefillCache(const std::optional<MLMultiArray>& cache, const char* name, const MLMultiArray& windowCache)
{
    if (!cache)
        throw WhisperError::prefillFailed(std::string("The context prefill gave no ") + name);
    const auto& shape = cache->shape();
    const auto& window = windowCache.shape();
    const bool fits = cache->dataType() == MLMultiArrayDataType::float16 && shape.size() == 4 && shape[0] == 1 &&
                      shape[1] == window[1] && shape[2] == 1 && shape[3] >= 1 && shape[3] < window[3];
    if (!fits)
        throw WhisperError::prefillFailed(
            std::string("The context prefill's ") + name + " is " + Platform::CoreML::shapeText(shape) + " " +
            std::string(Platform::CoreML::multiArrayDataTypeNames.name(cache->dataType())) + ", not [1, " +
            std::to_string(window[1]) + ", 1, n] float16 with n below " + std::to_string(window[3]));
}

} // namespace

DecodingInputsType& TextDecoding::prefillDecoderInputs(DecodingInputsType& inputs,
                                                       const std::optional<DecodingOptions>& options,
                                                       std::stop_token stop)
{
    if (!tokenizer)
        throw WhisperError::tokenizerUnavailable("Tokenizer is unavailable");
    auto* decoderInputs = dynamic_cast<DecodingInputs*>(&inputs);
    if (!decoderInputs)
        throw WhisperError::prepareDecoderInputsFailed("Unable to cast decoderInputs to DecodingInputs");

    const SpecialTokens& special = tokenizer->specialTokens();
    std::vector<int> prompt{special.startOfTranscriptToken};
    int languageToken = special.englishToken;
    int taskToken = special.transcribeToken;
    if (options) {
        if (isModelMultilingual) {
            const std::string language = options->language.value_or("en");
            languageToken = tokenizer->convertTokenToId("<|" + language + "|>").value_or(special.englishToken);
            prompt.push_back(languageToken);
            const char* task = options->task == DecodingTask::translate ? "<|translate|>" : "<|transcribe|>";
            taskToken = tokenizer->convertTokenToId(task).value_or(special.transcribeToken);
            prompt.push_back(taskToken);
        }
        prompt.push_back(options->withoutTimestamps ? special.noTimestampsToken : special.timeTokenBegin);
        if (options->promptTokens) {
            std::vector<int> withContext{special.startOfPreviousToken};
            const auto kept = lastTextTokens(*options->promptTokens, kMaxPromptTokens, special.specialTokenBegin);
            withContext.insert(withContext.end(), kept.begin(), kept.end());
            withContext.insert(withContext.end(), prompt.begin(), prompt.end());
            prompt = std::move(withContext);
        }
        if (options->prefixTokens) {
            const auto kept = lastTextTokens(*options->prefixTokens, kMaxPrefixTokens, special.specialTokenBegin);
            prompt.insert(prompt.end(), kept.begin(), kept.end());
        }
    }
    decoderInputs->initialPrompt = prompt;

    const bool usePrefill = options && options->usePrefillCache && prefillData && !options->promptTokens;
    if (!usePrefill) {
        // The masks read as after preparation: position 0 is open and next.
        decoderInputs->kvCacheUpdateMask.setNumber(0, 0);
        decoderInputs->decoderKeyPaddingMask.setNumber(0, 0);
        decoderInputs->kvCacheUpdateMask.setNumber(0, 1);
        return inputs;
    }

    const MLMultiArray task = RuntimeCore::multiArrayFrom({taskToken != special.transcribeToken ? 1 : 0}, 1);
    const MLMultiArray language = RuntimeCore::multiArrayFrom({languageToken}, 1);
    const auto cache = prefillKVCache(task, language, stop);
    if (!cache) {
        RuntimeCore::Logging::error("Unable to prefill cache");
        return inputs;
    }
    checkPrefillCache(cache->keyCache, "key cache", decoderInputs->keyCache);
    checkPrefillCache(cache->valueCache, "value cache", decoderInputs->valueCache);
    if (cache->valueCache->shape() != cache->keyCache->shape())
        throw WhisperError::prefillFailed("The context prefill's key and value caches differ in length");

    decoderInputs->prefillKeyCache = *cache->keyCache;
    decoderInputs->prefillValueCache = *cache->valueCache;
    const auto start = std::find(prompt.begin(), prompt.end(), special.startOfTranscriptToken);
    const int insertAt = start == prompt.end() ? 0 : static_cast<int>(start - prompt.begin());
    updateKVCache(decoderInputs->keyCache, decoderInputs->prefillKeyCache, decoderInputs->valueCache,
                  decoderInputs->prefillValueCache, insertAt);

    const std::int64_t prefilled = decoderInputs->prefillKeyCache.shape()[3];
    decoderInputs->cacheLength.setNumber(0, static_cast<double>(prefilled));
    for (std::int64_t position = 0; position <= prefilled; ++position) {
        decoderInputs->kvCacheUpdateMask.setNumber(position, 0);
        decoderInputs->decoderKeyPaddingMask.setNumber(position, 0);
    }
    decoderInputs->kvCacheUpdateMask.setNumber(prefilled, 1);
    return inputs;
}

std::optional<DecodingCache> TextDecoding::prefillKVCache(const MLMultiArray& task, const MLMultiArray& language,
                                                          std::stop_token stop)
{
    const TextDecoderCachePrefillInput input(task, language);
    if (!prefillData || !prefillData->model())
        return std::nullopt;
    const auto model = prefillData->model();
    RuntimeCore::checkCancellation(stop);
    const auto outputs = RuntimeCore::asyncPrediction(*model, input, {});
    return DecodingCache{.keyCache = requiredOutput(*outputs, "key_cache_prefill"),
                         .valueCache = requiredOutput(*outputs, "value_cache_prefill"),
                         .alignmentWeights = std::nullopt};
}

} // namespace RadozodEri
