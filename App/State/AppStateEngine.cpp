#include "App/State/AppState.h"

#include "App/Models/SettingsKeys.h"
#include "App/STT/QelCoreEngine.h"
#include "App/STT/RadozodEriEngine.h"
#include "App/STT/STTEngineError.h"
#include "Platform/EventLoop/MainThread.h"

#include <stdexcept>
#include <string_view>
#include <utility>

namespace QEL {

void AppState::loadEngine(std::function<void()> whenDone)
{
    if (isLoadingModel_) {
        if (whenDone)
            whenDone();
        return;
    }
    publish(isLoadingModel_, true, &AppState::isLoadingModelChanged);
    publish(statusMessage_, "Downloading model (first time only)...", &AppState::statusMessageChanged);
    clearError({ErrorCause::other, ErrorCause::modelNotReady, ErrorCause::recording});

    const std::string model = selectedModel();
    logger_.info("Loading STT engine with model: " + model);

    // Each engine's load phases reach the window as their labels.
    const auto showProgress = [state = weak_from_this()](std::string_view label, double fraction) {
        Platform::runOnMainThread(state, [label = std::string(label), fraction](AppState& self) {
            self.publish(self.modelLoadPhase_, label, &AppState::modelLoadPhaseChanged);
            self.publish(self.modelDownloadProgress_, fraction, &AppState::modelDownloadProgressChanged);
            self.publish(self.statusMessage_, label + "... " + std::to_string(static_cast<int>(fraction * 100)) + "%",
                         &AppState::statusMessageChanged);
        });
    };
    std::shared_ptr<STTEngine> engine;
    if (!storedValue(defaults_, SettingsKeys::useQelCoreEngine)) {
        auto builtIn = std::make_shared<RadozodEriEngine>();
        builtIn->onProgress = [showProgress](RadozodEriEngine::ModelLoadPhase phase, double fraction) {
            showProgress(RadozodEriEngine::rawValue(phase), fraction);
        };
        builtIn->languageHint = selectedLanguage();
        Platform::printTagged("QEL", "RadozodEri engine loading model " + model);
        engine = std::move(builtIn);
    } else {
        auto outside = std::make_shared<QelCoreEngine>(library_);
        outside->onProgress = [showProgress](QelCoreEngine::ModelLoadPhase phase, double fraction) {
            showProgress(QelCoreEngine::rawValue(phase), fraction);
        };
        outside->languageHint = selectedLanguage();
        outside->initialPrompt = composeInitialPrompt(defaults_);
        Platform::printTagged("QEL", "QelCore engine loading model " + model);
        engine = std::move(outside);
    }

    loader_.submit([engine, model, state = weak_from_this(), whenDone = std::move(whenDone)] {
        std::exception_ptr failure;
        try {
            engine->load(model);
        } catch (...) {
            failure = std::current_exception();
        }
        Platform::runOnMainThread(state, [engine, failure, whenDone](AppState& self) {
            self.finishLoading(engine, failure);
            if (whenDone)
                whenDone();
        });
    });
}

void AppState::finishLoading(std::shared_ptr<STTEngine> engine, std::exception_ptr failure)
{
    if (failure) {
        try {
            std::rethrow_exception(failure);
        } catch (const std::exception& error) {
            failLoading(error);
        } catch (...) {
            failLoading(std::runtime_error("Unknown error"));
        }
        return;
    }
    Platform::printTagged("QEL", "Model loaded OK");
    logger_.info("Model loaded successfully");

    auto pipeline =
        std::make_shared<StreamingPipeline>(makeDetector(), std::move(engine), makeTextProcessor(), makeInserter());
    installCallbacks(*pipeline);
    // A recording keeps its own chain to its end: it stops, and its text is
    // saved, before the new chain takes over.
    if (isRecording_)
        stopRecording();
    if (streamingPipeline_)
        retireChain(std::move(streamingPipeline_));
    streamingPipeline_ = std::move(pipeline);
    audioCaptureManager_ = std::make_unique<AudioCaptureManager>();

    publish(isModelLoaded_, true, &AppState::isModelLoadedChanged);
    clearError({ErrorCause::modelNotReady});
    publish(statusMessage_, readyStatus(), &AppState::statusMessageChanged);
    logger_.info("Engine fully loaded and ready");
    publish(isLoadingModel_, false, &AppState::isLoadingModelChanged);
}

void AppState::failLoading(const std::exception& error)
{
    const std::string message = std::string("Failed to load model: ") + error.what();
    Platform::printTagged("QEL", "ENGINE ERROR: " + message);
    Platform::printTagged("QEL", "Full error: " + debugDescription(error));
    showError(message, ErrorCause::other);
    publish(statusMessage_, "Error loading model", &AppState::statusMessageChanged);
    publish(isLoadingModel_, false, &AppState::isLoadingModelChanged);
}

} // namespace QEL
