// Loading, prewarming and unloading the engine's models and its tokenizer.

#include "Platform/Text/Format.h"
#include "RadozodEri/Core/AudioEncoder.h"
#include "RadozodEri/Core/FeatureExtractor.h"
#include "RadozodEri/Core/RadozodEri.h"
#include "RadozodEri/Core/TextDecoderContextPrefill.h"
#include "RadozodEri/Core/TextDecoding.h"
#include "RadozodEri/Utilities/ModelUtilities.h"
#include "RadozodEri/Utilities/WhisperError.h"
#include "RuntimeCore/Logging/Logging.h"

#include <chrono>

namespace RadozodEri {

namespace {

using Clock = std::chrono::steady_clock;
using Logging = RuntimeCore::Logging;

constexpr int englishOnlyLogitsSize = 51864;

double secondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

std::string seconds(double value)
{
    return Platform::formatted("%.2f", value) + "s";
}

// A stage takes part in loading only when it wraps a model.
template <class Stage>
WhisperMLModel* modelOf(const std::shared_ptr<Stage>& stage)
{
    return dynamic_cast<WhisperMLModel*>(stage.get());
}

} // namespace

void RadozodEri::prewarmModels()
{
    std::lock_guard lifecycle(lifecycleMutex);
    loadModels(true);
}

void RadozodEri::loadModels(bool prewarmMode)
{
    std::lock_guard lifecycle(lifecycleMutex);
    setModelState(prewarmMode ? ModelState::prewarming : ModelState::loading);
    const auto start = Clock::now();
    const auto folder = modelFolder();
    if (!folder)
        throw WhisperError::modelsUnavailable("Model folder is not set.");
    Logging::debug("Loading models from " + folder->string() +
                   " with prewarmMode: " + (prewarmMode ? "true" : "false"));

    const ModelComputeOptions compute = modelCompute;
    const auto melPath = ModelUtilities::detectModelURL(*folder, "MelSpectrogram");
    const auto encoderPath = ModelUtilities::detectModelURL(*folder, "AudioEncoder");
    const auto decoderPath = ModelUtilities::detectModelURL(*folder, "TextDecoder");
    const auto prefillPath = ModelUtilities::detectModelURL(*folder, "TextDecoderContextPrefill");
    for (const auto& path : {melPath, encoderPath, decoderPath})
        if (!std::filesystem::exists(path))
            throw WhisperError::modelsUnavailable("Model file not found at " + path.string());

    if (auto* model = modelOf(featureExtractor)) {
        Logging::debug("Loading feature extractor");
        model->loadModel(melPath, compute.melCompute, prewarmMode);
        Logging::debug("Loaded feature extractor");
    }
    if (std::filesystem::exists(prefillPath)) {
        Logging::debug("Loading text decoder prefill data");
        textDecoder->prefillData = std::make_shared<TextDecoderContextPrefill>();
        if (const auto prefill = textDecoder->prefillData)
            prefill->loadModel(prefillPath, compute.prefillCompute, prewarmMode);
        Logging::debug("Loaded text decoder prefill data");
    }
    // The decoder's and the encoder's loads are timed, a prewarm's apart.
    auto loadTimed = [&](WhisperMLModel* model, const std::string& name, const std::filesystem::path& path,
                         Platform::CoreML::MLComputeUnits units, double TranscriptionTimings::*loadTime,
                         double TranscriptionTimings::*specializationTime) {
        if (!model)
            return;
        Logging::debug("Loading " + name);
        const auto modelStart = Clock::now();
        model->loadModel(path, units, prewarmMode);
        const double elapsed = secondsSince(modelStart);
        updateTimings(
            [&](TranscriptionTimings& timings) { timings.*(prewarmMode ? specializationTime : loadTime) = elapsed; });
        Logging::debug("Loaded " + name + " in " + seconds(elapsed));
    };
    loadTimed(modelOf(textDecoder), "text decoder", decoderPath, compute.textDecoderCompute,
              &TranscriptionTimings::decoderLoadTime, &TranscriptionTimings::decoderSpecializationTime);
    loadTimed(modelOf(audioEncoder), "audio encoder", encoderPath, compute.audioEncoderCompute,
              &TranscriptionTimings::encoderLoadTime, &TranscriptionTimings::encoderSpecializationTime);

    if (prewarmMode) {
        setModelState(ModelState::prewarmed);
        updateTimings([&](TranscriptionTimings& timings) { timings.prewarmLoadTime = secondsSince(start); });
        return;
    }
    loadTokenizerIfNeeded();
    setModelState(ModelState::loaded);
    double loading = 0;
    updateTimings([&](TranscriptionTimings& timings) {
        timings.modelLoading = secondsSince(start) + timings.prewarmLoadTime;
        loading = timings.modelLoading;
    });
    Logging::info("Loaded models for whisper size: " + std::string(description(modelVariant())) + " in " +
                  seconds(loading));
}

void RadozodEri::loadTokenizerIfNeeded()
{
    std::lock_guard lifecycle(lifecycleMutex);
    if (tokenizer()) {
        Logging::debug("Tokenizer already exists on RadozodEri, skipping load");
        return;
    }
    const auto logitsSize = textDecoder->logitsSize();
    const auto encoderSize = audioEncoder->embedSize();
    if (!logitsSize || !encoderSize)
        throw WhisperError::tokenizerUnavailable("Tokenizer is unavailable");
    textDecoder->isModelMultilingual = *logitsSize != englishOnlyLogitsSize;
    const ModelVariant variant = ModelUtilities::detectVariant(*logitsSize, *encoderSize);
    setModelVariant(variant);
    Logging::debug("Loading tokenizer for " + std::string(description(variant)));
    const auto start = Clock::now();

    std::vector<std::filesystem::path> searchPaths;
    if (const auto folder = modelFolder())
        searchPaths = {*folder,
                       ModelUtilities::hubRepositoryFolder(*folder, ModelUtilities::tokenizerNameForVariant(variant))};
    std::shared_ptr<const WhisperTokenizer> loaded =
        ModelUtilities::loadTokenizer(variant, tokenizerFolder, searchPaths, useBackgroundDownloadSession());
    const double elapsed = secondsSince(start);
    updateTimings([&](TranscriptionTimings& timings) { timings.tokenizerLoadTime = elapsed; });
    setTokenizer(std::move(loaded));
    Logging::debug("Loaded tokenizer in " + seconds(elapsed));
}

void RadozodEri::unloadModels()
{
    std::lock_guard lifecycle(lifecycleMutex);
    setModelState(ModelState::unloading);
    if (auto* model = modelOf(featureExtractor))
        model->unloadModel();
    if (auto* model = modelOf(audioEncoder))
        model->unloadModel();
    if (auto* model = modelOf(textDecoder))
        model->unloadModel();
    setModelState(ModelState::unloaded);
    Logging::info("Unloaded all models");
}

} // namespace RadozodEri
