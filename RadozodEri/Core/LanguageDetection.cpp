#include "RadozodEri/Core/TextDecoder.h"

#include "RadozodEri/Core/Constants.h"
#include "RadozodEri/Core/Text/LanguageLogitsFilter.h"
#include "RadozodEri/Core/Text/TokenSampling.h"
#include "RadozodEri/Utilities/Extensions.h"
#include "RadozodEri/Utilities/WhisperError.h"
#include "RuntimeCore/Logging/Logging.h"

#include <chrono>

namespace RadozodEri {

using Logging = RuntimeCore::Logging;

DecodingResult TextDecoder::detectLanguage(const AudioEncoderOutputType& encoderOutput, DecodingInputsType& inputs,
                                           TokenSampling& sampler, const DecodingOptions&, Platform::CoreML::Float16,
                                           std::stop_token stop)
{
    using Clock = std::chrono::steady_clock;
    const auto tokenizer = this->tokenizer;
    if (!tokenizer)
        throw WhisperError::tokenizerUnavailable("Tokenizer is unavailable");
    const std::optional<int> vocabulary = logitsSize();
    if (!vocabulary)
        throw WhisperError::modelsUnavailable("Failed to read logits size from model");

    const std::vector<int> tokens{tokenizer->specialTokens().startOfTranscriptToken};
    const std::vector<float> logProbs{0.0f};
    const auto filter = languageFilter(*vocabulary);
    inputs.inputIds.setNumber(0, tokens.front());
    inputs.cacheLength.setNumber(0, 0);

    const auto start = Clock::now();
    Logging::debug("Detecting language...");
    const auto encoderArray = encoderOutput.multiArrayValue();
    if (!encoderArray)
        throw WhisperError::prepareDecoderInputsFailed("Input must be MLMultiArray");
    auto* decoderInputs = dynamic_cast<DecodingInputs*>(&inputs);
    if (!decoderInputs)
        throw WhisperError::prepareDecoderInputsFailed("DecodingInputsType must be DecodingInputs");
    const auto prediction = predictLogits(
        TextDecoderMLMultiArrayInputType{decoderInputs->inputIds, decoderInputs->cacheLength, decoderInputs->keyCache,
                                         decoderInputs->valueCache, decoderInputs->kvCacheUpdateMask, *encoderArray,
                                         decoderInputs->decoderKeyPaddingMask},
        std::move(stop));
    if (!prediction || !prediction->logits) {
        Logging::error("Unable to decode logits");
        throw WhisperError::decodingLogitsFailed("Unable to decode logits from the model output");
    }
    const double predictionTime = std::chrono::duration<double>(Clock::now() - start).count();

    Platform::CoreML::MLMultiArray logits = *prediction->logits;
    if (static_cast<int>(tokens.size()) >= filter->sampleBegin)
        logits = filter->filterLogits(std::move(logits), tokens);

    const auto samplingStart = Clock::now();
    const SamplingResult sampled = sampler.update(tokens, logits, logProbs);
    if (sampled.tokens.empty() || sampled.logProbs.size() < sampled.tokens.size())
        throw WhisperError::decodingFailed("The sampler gave no language token");
    const double samplingTime = std::chrono::duration<double>(Clock::now() - samplingStart).count();

    const auto languageOf = [&](int token) {
        const int single[]{token};
        return std::string(trimmingSpecialTokenCharacters(tokenizer->decode(single)));
    };
    DecodingResult result;
    const auto& languageTokens = tokenizer->allLanguageTokens();
    for (std::size_t i = 0; i < sampled.tokens.size(); ++i)
        if (languageTokens.contains(sampled.tokens[i]))
            result.languageProbs[languageOf(sampled.tokens[i])] = sampled.logProbs[i];

    result.language = languageOf(sampled.tokens.back());
    if (Constants::languageCodes().contains(result.language)) {
        Logging::debug("Detected language: " + result.language);
    } else {
        Logging::error("Detected language " + result.language + " is not supported, defaulting to " +
                       std::string(Constants::defaultLanguageCode));
        result.language = std::string(Constants::defaultLanguageCode);
    }
    TranscriptionTimings timings;
    timings.decodingPredictions = predictionTime;
    timings.decodingSampling = samplingTime;
    result.timings = timings;
    return result;
}

} // namespace RadozodEri
