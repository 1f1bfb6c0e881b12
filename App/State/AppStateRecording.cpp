#include "App/State/AppState.h"

#include "App/Models/TranscriptHistoryStore.h"
#include "App/Utils/FileLogger.h"
#include "Platform/EventLoop/MainThread.h"
#include "Platform/Text/Format.h"
#include "Platform/Text/Graphemes.h"

#include <QEventLoop>
#include <QTimer>

#include <chrono>

namespace QEL {

void AppState::toggleRecording()
{
    FileLogger::log(std::string("toggleRecording called. isRecording=") + Platform::booleanText(isRecording_));
    if (isRecording_)
        stopRecording();
    else
        startRecording();
}

void AppState::startRecording()
{
    FileLogger::log(std::string("startRecording called. isModelLoaded=") + Platform::booleanText(isModelLoaded_));
    if (!isModelLoaded_) {
        FileLogger::log("Model not loaded, can't record");
        publish(errorMessage_, "Model still loading, please wait...", &AppState::errorMessageChanged);
        return;
    }
    const bool hasCapture = audioCaptureManager_ != nullptr;
    const bool hasPipeline = streamingPipeline_ != nullptr;
    FileLogger::log(std::string("audioCaptureManager=") + Platform::booleanText(hasCapture) +
                    ", streamingPipeline=" + Platform::booleanText(hasPipeline));
    if (!hasCapture || !hasPipeline) {
        FileLogger::log(std::string("FAIL: Engine not initialized (capture=") + Platform::booleanText(hasCapture) +
                        ", pipeline=" + Platform::booleanText(hasPipeline) + ")");
        publish(errorMessage_, "Engine not initialized", &AppState::errorMessageChanged);
        return;
    }
    if (isRecording_)
        return;
    FileLogger::log(std::string("Mic permission granted: ") + Platform::booleanText(!microphoneRefused_) +
                    " (proceeding anyway)");

    FileLogger::log("Starting audio capture...");
    try {
        audioCaptureManager_->startCapture(
            [pipeline = std::weak_ptr<StreamingPipeline>(streamingPipeline_)](const std::vector<float>& frame) {
                if (const std::shared_ptr<StreamingPipeline> alive = pipeline.lock())
                    alive->processAudioBuffer(frame);
            },
            [state = weak_from_this()](const AudioCaptureError& error) {
                if (const std::shared_ptr<AppState> self = state.lock())
                    self->captureEnded(error.what());
            });
    } catch (const std::exception& error) {
        const std::string message = std::string("Failed to start recording: ") + error.what();
        FileLogger::log("RECORDING ERROR: " + message);
        publish(errorMessage_, message, &AppState::errorMessageChanged);
        return;
    }

    // The text of the recording before is saved before it is emptied.
    if (unsavedRecording_)
        saveSession(*unsavedRecording_);
    unsavedRecording_ = ++recordingCount_;
    streamingPipeline_->start();
    publish(isRecording_, true, &AppState::isRecordingChanged);
    publish(currentTranscript_, "", &AppState::currentTranscriptChanged);
    publish(partialTranscript_, "", &AppState::partialTranscriptChanged);
    publish(sessionTranscript_, "", &AppState::sessionTranscriptChanged);
    publish(statusMessage_, "Listening...", &AppState::statusMessageChanged);
    FileLogger::log("Recording started OK");
}

void AppState::stopRecording()
{
    logger_.info("Stopping recording...");
    if (audioCaptureManager_)
        audioCaptureManager_->stopCapture();
    if (streamingPipeline_)
        streamingPipeline_->stop();
    publish(isRecording_, false, &AppState::isRecordingChanged);
    publish(statusMessage_, readyStatus(), &AppState::statusMessageChanged);
    saveSessionWhenTranscribed();
}

void AppState::captureEnded(const std::string& reason)
{
    if (!isRecording_)
        return;
    FileLogger::log("RECORDING ERROR: " + reason);
    stopRecording();
    publish(errorMessage_, reason, &AppState::errorMessageChanged);
}

void AppState::showMicrophoneRefusal(const std::string& message)
{
    microphoneRefused_ = true;
    publish(errorMessage_, message, &AppState::errorMessageChanged);
}

void AppState::saveSessionWhenTranscribed()
{
    if (!unsavedRecording_ || !streamingPipeline_)
        return;
    // The last words are still being transcribed when the recording stops;
    // their text reaches the state through the event loop before this call.
    sessionWaiter_.submit([pipeline = streamingPipeline_, recording = *unsavedRecording_, state = weak_from_this()] {
        if (!pipeline->waitUntilIdle(lastWordsTimeLimit))
            FileLogger::log("Saving the recording without the transcriptions still running");
        Platform::runOnMainThread(state, [recording, pipeline](AppState& self) { self.saveSession(recording); });
    });
}

void AppState::finishSavingSession()
{
    if (!unsavedRecording_)
        return;
    // The last transcriptions may need the event loop (a paste runs there),
    // and the save that waits for them comes through it.
    QEventLoop loop;
    QTimer check;
    const auto deadline = std::chrono::steady_clock::now() + lastWordsTimeLimit + std::chrono::seconds(1);
    QObject::connect(&check, &QTimer::timeout, &loop, [&] {
        if (!unsavedRecording_ || std::chrono::steady_clock::now() > deadline)
            loop.quit();
    });
    check.start(10);
    loop.exec();
    if (unsavedRecording_)
        saveSession(*unsavedRecording_);
}

void AppState::saveSession(std::uint64_t recording)
{
    if (unsavedRecording_ != recording)
        return;
    unsavedRecording_.reset();
    const std::optional<SavedTranscript> entry = SavedTranscript::dictation(sessionTranscript_, Platform::Date::now());
    if (!entry)
        return;
    // A failed write is logged by the store; the entry is shown all the same.
    history_.save(*entry);
    transcriptHistory_.insert(transcriptHistory_.begin(), *entry);
    emit transcriptHistoryChanged(transcriptHistory_);
    emit changed();
    FileLogger::log("Saved transcript to history: " + std::string(Platform::graphemePrefix(entry->text, 50)) + "...");
}

} // namespace QEL
