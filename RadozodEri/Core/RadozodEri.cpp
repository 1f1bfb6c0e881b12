#include "RadozodEri/Core/RadozodEri.h"

#include "RadozodEri/Core/Audio/AudioProcessor.h"
#include "RadozodEri/Core/AudioEncoder.h"
#include "RadozodEri/Core/FeatureExtractor.h"
#include "RadozodEri/Core/Text/SegmentSeeker.h"
#include "RadozodEri/Core/TextDecoder.h"
#include "RuntimeCore/Logging/Logging.h"

namespace RadozodEri {

RadozodEri::RadozodEri(ConstructionKey, const RadozodEriConfig& config)
    : modelCompute(config.computeOptions.value_or(ModelComputeOptions{})),
      audioInputConfig(config.audioInputConfig.value_or(AudioInputConfig{})),
      audioProcessor(config.audioProcessor ? config.audioProcessor : std::make_shared<AudioProcessor>()),
      featureExtractor(config.featureExtractor ? config.featureExtractor : std::make_shared<FeatureExtractor>()),
      audioEncoder(config.audioEncoder ? config.audioEncoder : std::make_shared<AudioEncoder>()),
      textDecoder(config.textDecoder ? config.textDecoder : std::make_shared<TextDecoder>()),
      segmentSeeker(config.segmentSeeker ? config.segmentSeeker : std::make_shared<SegmentSeeker>()),
      voiceActivityDetector(config.voiceActivityDetector),
      tokenizerFolder(config.tokenizerFolder ? config.tokenizerFolder : config.downloadBase),
      useBackgroundDownloadSession_(config.useBackgroundDownloadSession)
{
    if (config.logitsFilters)
        textDecoder->logitsFilters = config.logitsFilters;
    RuntimeCore::Logging::shared().setLogLevel(config.verbose ? config.logLevel : RuntimeCore::LogLevel::none);
}

RadozodEri::~RadozodEri()
{
    audioProcessor->stopRecording();
}

void RadozodEri::setUp(const RadozodEriConfig& config)
{
    setupModels(config.model, config.downloadBase, config.modelRepo, config.modelToken, config.modelFolder,
                config.download, "config.json", config.modelEndpoint.value_or(defaultEndpoint()));
    if (config.prewarm.value_or(false)) {
        RuntimeCore::Logging::info("Prewarming models...");
        prewarmModels();
    }
    // A downloaded folder is not loaded unless asked: the first transcription loads it.
    if (config.load.value_or(config.modelFolder.has_value())) {
        RuntimeCore::Logging::info("Loading models...");
        loadModels(false);
    }
}

ModelVariant RadozodEri::modelVariant() const
{
    std::lock_guard lock(stateMutex_);
    return modelVariant_;
}

void RadozodEri::setModelVariant(ModelVariant variant)
{
    std::lock_guard lock(stateMutex_);
    modelVariant_ = variant;
}

RuntimeCore::ModelState RadozodEri::modelState() const
{
    std::lock_guard lock(stateMutex_);
    return modelState_;
}

void RadozodEri::setModelState(ModelState state)
{
    ModelState old;
    {
        std::lock_guard lock(stateMutex_);
        old = std::exchange(modelState_, state);
    }
    // Outside the lock, so that the callback may read the engine.
    if (modelStateCallback)
        modelStateCallback(old, state);
}

std::shared_ptr<const WhisperTokenizer> RadozodEri::tokenizer() const
{
    std::lock_guard lock(stateMutex_);
    return tokenizer_;
}

void RadozodEri::setTokenizer(std::shared_ptr<const WhisperTokenizer> tokenizer)
{
    std::lock_guard lock(stateMutex_);
    tokenizer_ = tokenizer;
    textDecoder->tokenizer = std::move(tokenizer);
}

TranscriptionTimings RadozodEri::currentTimings() const
{
    std::lock_guard lock(stateMutex_);
    return currentTimings_;
}

void RadozodEri::updateTimings(const std::function<void(TranscriptionTimings&)>& update)
{
    std::lock_guard lock(stateMutex_);
    update(currentTimings_);
}

std::shared_ptr<Platform::Progress> RadozodEri::progress() const
{
    std::lock_guard lock(stateMutex_);
    return progress_;
}

std::optional<std::filesystem::path> RadozodEri::modelFolder() const
{
    std::lock_guard lock(stateMutex_);
    return modelFolder_;
}

void RadozodEri::setModelFolder(std::optional<std::filesystem::path> folder)
{
    std::lock_guard lock(stateMutex_);
    modelFolder_ = std::move(folder);
}

void RadozodEri::clearState()
{
    audioProcessor->stopRecording();
    updateTimings([](TranscriptionTimings& timings) { timings = TranscriptionTimings{}; });
}

void RadozodEri::loggingCallback(std::function<void(const std::string&)> callback)
{
    RuntimeCore::Logging::shared().setLoggingCallback(std::move(callback));
}

} // namespace RadozodEri
