#include "App/STT/QelCoreEngine.h"

#include "App/AppIdentity.h"
#include "App/STT/ModelFileCache.h"
#include "App/STT/ModelFileName.h"
#include "App/STT/STTEngineError.h"
#include "Platform/EnumNames.h"
#include "Platform/Log/Log.h"
#include "Platform/Text/CharacterSets.h"

#include <array>
#include <chrono>
#include <utility>

namespace QEL {

namespace {

const Platform::Logger& logger()
{
    static const Platform::Logger instance(AppIdentity::bundleIdentifier, "QelCore");
    return instance;
}

constexpr Platform::EnumNames<QelCoreEngine::ModelLoadPhase, 5> phaseLabels{{{
    {QelCoreEngine::ModelLoadPhase::downloading, "Downloading model"},
    {QelCoreEngine::ModelLoadPhase::compiling, "Compiling for GPU"},
    {QelCoreEngine::ModelLoadPhase::loading, "Loading into memory"},
    {QelCoreEngine::ModelLoadPhase::prewarming, "Prewarming"},
    {QelCoreEngine::ModelLoadPhase::ready, "Ready"},
}}};

} // namespace

std::string_view QelCoreEngine::rawValue(ModelLoadPhase phase)
{
    return phaseLabels.name(phase);
}

std::optional<QelCoreEngine::ModelLoadPhase> QelCoreEngine::modelLoadPhase(std::string_view rawValue)
{
    return phaseLabels.value(rawValue);
}

QelCoreEngine::QelCoreEngine(const QelCoreLibrary& library) : library_(library) {}

void QelCoreEngine::report(ModelLoadPhase phase, double fraction) const
{
    if (onProgress)
        onProgress(phase, fraction);
}

std::string QelCoreEngine::lastError(const char* fallback) const
{
    const char* text = library_.lastError();
    return text ? text : fallback;
}

void QelCoreEngine::load(const std::string& modelName)
{
    {
        // A loaded engine keeps its name until another load has succeeded.
        std::lock_guard lock(mutex_);
        if (!isLoaded_)
            modelName_ = modelName;
    }
    const char* version = library_.version();
    logger().info("QelCore version: " + std::string(version ? version : "?") + ", loading model: " + modelName);

    const std::string fileName = ggmlFileName(modelName);
    report(ModelLoadPhase::downloading, 0.0);
    const std::filesystem::path modelFile = ensureModelFile(fileName, logger());
    report(ModelLoadPhase::loading, 0.6);

    qel_engine* created = library_.engineNew(modelFile.c_str(), languageHint.c_str());
    if (!created) {
        std::string message = "qel_engine_new failed: " + lastError("unknown error");
        // A damaged file kept as the model would fail every later load too.
        if (const auto aside = setAsideDamagedModelFile(modelFile))
            message += "; the cached model file is damaged, so it was moved to " + aside->string() +
                       " and the next load downloads the model again";
        throw STTEngineError::transcriptionFailed(message);
    }
    std::shared_ptr<qel_engine> engine(created, library_.engineFree);

    const std::string prompt = initialPrompt.value_or(defaultInitialPrompt);
    if (const int32_t status = library_.setInitialPrompt(engine.get(), prompt.c_str()); status != 0)
        logger().error("set_initial_prompt returned " + std::to_string(status) + ": " + lastError("unknown"));

    report(ModelLoadPhase::prewarming, 0.85);
    if (const int32_t status = library_.prewarm(engine.get()); status != 0)
        logger().error("Prewarm returned " + std::to_string(status) + ": " + lastError("unknown") + " — continuing");
    else
        logger().info("Prewarm complete");

    {
        std::lock_guard lock(mutex_);
        engine_ = std::move(engine);
        isLoaded_ = true;
        modelName_ = modelName;
    }
    report(ModelLoadPhase::ready, 1.0);
    logger().info("QelCore engine ready (model: " + fileName + ")");
}

QELTranscriptionResult QelCoreEngine::transcribe(const std::vector<float>& audioSamples)
{
    std::shared_ptr<qel_engine> engine;
    {
        std::lock_guard lock(mutex_);
        if (isLoaded_)
            engine = engine_;
    }
    if (!engine)
        throw STTEngineError::modelNotLoaded();

    const auto start = std::chrono::steady_clock::now();
    char* text = library_.transcribe(engine.get(), audioSamples.data(), static_cast<int64_t>(audioSamples.size()));
    if (!text)
        throw STTEngineError::transcriptionFailed("qel_engine_transcribe failed: " + lastError("unknown"));
    const std::string rawText(text);
    library_.stringFree(text);
    QELTranscriptionResult result;
    result.text = Platform::trimming(rawText, Platform::CharacterSet::whitespacesAndNewlines);
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;

    logger().info("Transcribed '" + result.text + "' in " + std::to_string(static_cast<long>(elapsed.count() * 1000)) +
                  "ms");
    if (languageHint != "auto")
        result.language = languageHint;
    result.processingTime = elapsed.count();
    return result;
}

bool QelCoreEngine::isLoaded() const
{
    std::lock_guard lock(mutex_);
    return isLoaded_;
}

std::string QelCoreEngine::modelName() const
{
    std::lock_guard lock(mutex_);
    return modelName_;
}

void QelCoreEngine::unload()
{
    std::lock_guard lock(mutex_);
    engine_.reset();
    isLoaded_ = false;
}

} // namespace QEL
