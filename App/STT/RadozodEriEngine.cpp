#include "App/STT/RadozodEriEngine.h"

#include "App/AppIdentity.h"
#include "App/STT/STTEngineError.h"
#include "Platform/EnumNames.h"
#include "Platform/Log/Log.h"
#include "Platform/Text/CharacterSets.h"
#include "Platform/Text/Format.h"

#include <array>
#include <chrono>
#include <utility>

namespace QEL {

namespace {

const Platform::Logger& logger()
{
    static const Platform::Logger instance(AppIdentity::bundleIdentifier, "RadozodEri");
    return instance;
}

constexpr Platform::EnumNames<RadozodEriEngine::ModelLoadPhase, 4> phaseLabels{{{
    {RadozodEriEngine::ModelLoadPhase::downloading, "Downloading model"},
    {RadozodEriEngine::ModelLoadPhase::compiling, "Compiling for Neural Engine"},
    {RadozodEriEngine::ModelLoadPhase::loading, "Loading into memory"},
    {RadozodEriEngine::ModelLoadPhase::ready, "Ready"},
}}};

} // namespace

std::string_view RadozodEriEngine::rawValue(ModelLoadPhase phase)
{
    return phaseLabels.name(phase);
}

std::optional<RadozodEriEngine::ModelLoadPhase> RadozodEriEngine::modelLoadPhase(std::string_view rawValue)
{
    return phaseLabels.value(rawValue);
}

RadozodEri::RadozodEriConfig RadozodEriEngine::engineConfig(const std::string& modelName)
{
    RadozodEri::RadozodEriConfig config;
    config.model = modelName;
    config.verbose = true;
    config.logLevel = RuntimeCore::LogLevel::debug;
    config.download = true;
    config.useBackgroundDownloadSession = false;
    return config;
}

RadozodEri::DecodingOptions RadozodEriEngine::decodingOptions() const
{
    // Every field is set, so that the utterances decode the same whatever the
    // engine's defaults become.
    RadozodEri::DecodingOptions options;
    options.verbose = false;
    options.task = RadozodEri::DecodingTask::transcribe;
    if (languageHint != "auto")
        options.language = languageHint;
    options.temperature = 0.0f;
    options.temperatureIncrementOnFallback = 0.2f;
    options.temperatureFallbackCount = 5;
    options.sampleLength = 224;
    options.topK = 5;
    options.usePrefillPrompt = true;
    options.usePrefillCache = true;
    // Detection follows the prefill prompt: off when the prompt names the language.
    options.detectLanguage = !options.usePrefillPrompt;
    options.skipSpecialTokens = false;
    options.withoutTimestamps = false;
    options.wordTimestamps = true;
    options.maxInitialTimestamp.reset();
    options.maxWindowSeek.reset();
    options.clipTimestamps.clear();
    options.windowClipTime = 1.0f;
    options.promptTokens.reset();
    options.prefixTokens.reset();
    options.suppressBlank = false;
    options.supressTokens.clear();
    options.compressionRatioThreshold = 2.4f;
    options.logProbThreshold = -1.0f;
    options.firstTokenLogProbThreshold = -1.5f;
    options.noSpeechThreshold = 0.6f;
    options.concurrentWorkerCount = 16;
    options.chunkingStrategy.reset();
    return options;
}

QELTranscriptionResult RadozodEriEngine::firstResult(const RadozodEri::RadozodEri::TranscriptionResults& results,
                                                     double processingTime)
{
    if (results.empty() || !results.front()) {
        logger().error("Transcription returned empty array");
        return QELTranscriptionResult::empty;
    }
    const RadozodEri::TranscriptionResult& first = *results.front();
    QELTranscriptionResult result;
    result.text = Platform::trimming(first.text(), Platform::CharacterSet::whitespacesAndNewlines);
    logger().info("Transcribed: '" + result.text + "' in " + Platform::formatted("%.0f", processingTime * 1000) + "ms");
    for (const auto& segment : first.segments())
        result.segments.push_back({segment.text, static_cast<double>(segment.start), static_cast<double>(segment.end)});
    if (const std::string language = first.language(); !language.empty())
        result.language = language;
    result.processingTime = processingTime;
    return result;
}

void RadozodEriEngine::report(ModelLoadPhase phase, double fraction) const
{
    if (onProgress)
        onProgress(phase, fraction);
}

void RadozodEriEngine::load(const std::string& modelName)
{
    {
        std::lock_guard lock(mutex_);
        modelName_ = modelName;
    }
    logger().info("Loading RadozodEri model: " + modelName);
    report(ModelLoadPhase::downloading, 0.0);
    const RadozodEri::RadozodEriConfig config = engineConfig(modelName);
    report(ModelLoadPhase::downloading, 0.3);
    std::shared_ptr<RadozodEri::RadozodEri> engine;
    try {
        engine = RadozodEri::RadozodEri::create(config);
    } catch (const std::exception& error) {
        logger().error(std::string("RadozodEri load failed: ") + error.what());
        throw;
    }
    report(ModelLoadPhase::compiling, 0.7);
    {
        std::lock_guard lock(mutex_);
        radozodEri_ = std::move(engine);
    }
    report(ModelLoadPhase::loading, 0.9);
    {
        std::lock_guard lock(mutex_);
        isLoaded_ = true;
    }
    report(ModelLoadPhase::ready, 1.0);
    logger().info("RadozodEri model loaded successfully");
}

QELTranscriptionResult RadozodEriEngine::transcribe(const std::vector<float>& audioSamples)
{
    std::shared_ptr<RadozodEri::RadozodEri> engine;
    {
        std::lock_guard lock(mutex_);
        engine = radozodEri_;
    }
    if (!engine)
        throw STTEngineError::modelNotLoaded();
    const auto start = std::chrono::steady_clock::now();
    const RadozodEri::DecodingOptions options = decodingOptions();
    logger().debug("Transcribing " + std::to_string(audioSamples.size()) + " samples...");
    const auto results = engine->transcribe(audioSamples, options, {}, {});
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    return firstResult(results, elapsed.count());
}

bool RadozodEriEngine::isLoaded() const
{
    std::lock_guard lock(mutex_);
    return isLoaded_;
}

std::string RadozodEriEngine::modelName() const
{
    std::lock_guard lock(mutex_);
    return modelName_;
}

void RadozodEriEngine::unload()
{
    std::lock_guard lock(mutex_);
    radozodEri_.reset();
    isLoaded_ = false;
}

} // namespace QEL
