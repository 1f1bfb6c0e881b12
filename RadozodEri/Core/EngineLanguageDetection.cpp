// Telling the spoken language from the first window of audio, without
// transcribing it.

#include "RadozodEri/Core/Audio/AudioProcessor.h"
#include "RadozodEri/Core/Constants.h"
#include "RadozodEri/Core/RadozodEri.h"
#include "RadozodEri/Core/Text/GreedyTokenSampler.h"
#include "RadozodEri/Core/TextDecoding.h"
#include "RadozodEri/Utilities/WhisperError.h"
#include "RuntimeCore/Logging/Logging.h"

namespace RadozodEri {

namespace {

// One window is all the decoder looks at, so no more of a file is read.
constexpr double fileReadLimitSeconds = 30.0;

} // namespace

RadozodEri::DetectedLanguage RadozodEri::detectLanguage(const std::string& audioPath)
{
    const std::vector<float> samples = AudioProcessor::loadAudioAsFloatArray(
        audioPath, AudioInputConfig::ChannelMode::sumChannels(), 0.0, fileReadLimitSeconds);
    return detectLangauge(samples);
}

RadozodEri::DetectedLanguage RadozodEri::detectLangauge(const std::vector<float>& audioArray)
{
    if (modelState() != ModelState::loaded) {
        std::lock_guard lifecycle(lifecycleMutex);
        if (modelState() != ModelState::loaded)
            loadModels(false);
    }
    if (!textDecoder->isModelMultilingual)
        throw WhisperError::decodingFailed("Language detection not supported for this model");
    const auto tokenizer = this->tokenizer();
    if (!tokenizer)
        throw WhisperError::tokenizerUnavailable("Tokenizer is unavailable");

    DecodingOptions options;
    options.verbose = RuntimeCore::Logging::shared().logLevel() != RuntimeCore::LogLevel::none;
    const SpecialTokens& special = tokenizer->specialTokens();
    const auto inputs = textDecoder->prepareDecoderInputs({special.startOfTranscriptToken});

    const std::int64_t windowSamples = featureExtractor->windowSamples().value_or(Constants::defaultWindowSamples);
    const auto window = audioProcessor->padOrTrim(audioArray, 0, windowSamples);
    if (!window)
        throw WhisperError::transcriptionFailed("Audio samples are nil");
    const auto features = featureExtractor->logMelSpectrogram(AudioProcessorValue(*window));
    if (!features)
        throw WhisperError::transcriptionFailed("Mel output is nil");
    const auto encoded = audioEncoder->encodeFeatures(*features);
    if (!encoded)
        throw WhisperError::transcriptionFailed("Encoder output is nil");

    GreedyTokenSampler sampler(0, special.endToken, options);
    DecodingResult result;
    try {
        result = textDecoder->detectLanguage(*encoded, *inputs, sampler, options, Platform::CoreML::Float16(0.0f));
    } catch (...) {
        throw WhisperError::decodingFailed("Language detection failed");
    }
    return {result.language, result.languageProbs};
}

} // namespace RadozodEri
