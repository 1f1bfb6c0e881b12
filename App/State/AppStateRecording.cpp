#include "App/State/AppState.h"

#include "App/Models/TranscriptHistoryStore.h"
#include "App/Utils/FileLogger.h"
#include "Platform/EventLoop/MainThread.h"
#include "Platform/Text/Format.h"
#include "Platform/Text/Graphemes.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <future>
#include <memory>

namespace QEL {

namespace {

// Returns once the jobs submitted to `pool` so far have run.
void waitForSubmittedJobs(Platform::WorkerPool& pool)
{
    std::promise<void> reached;
    pool.submit([&reached] { reached.set_value(); });
    reached.get_future().wait();
}

// Runs the calls other threads have queued for the main thread so far.
void runCallsQueuedForMainThread()
{
    auto reached = std::make_shared<bool>(false);
    Platform::runOnMainThread([reached] { *reached = true; });
    // Without an application object the call is dropped, and nothing waits.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(1);
    while (!*reached && std::chrono::steady_clock::now() < deadline)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

} // namespace

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
        showError("Model still loading, please wait...", ErrorCause::modelNotReady);
        return;
    }
    const bool hasCapture = audioCaptureManager_ != nullptr;
    const bool hasPipeline = streamingPipeline_ != nullptr;
    FileLogger::log(std::string("audioCaptureManager=") + Platform::booleanText(hasCapture) +
                    ", streamingPipeline=" + Platform::booleanText(hasPipeline));
    if (!hasCapture || !hasPipeline) {
        FileLogger::log(std::string("FAIL: Engine not initialized (capture=") + Platform::booleanText(hasCapture) +
                        ", pipeline=" + Platform::booleanText(hasPipeline) + ")");
        showError("Engine not initialized", ErrorCause::modelNotReady);
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
        showError(message, ErrorCause::recording);
        return;
    }

    // The text of the recording before is saved before it is emptied.
    if (unsavedRecording_)
        saveSession(*unsavedRecording_);
    unsavedRecording_ = ++recordingCount_;
    isLastRecordingSaved_ = false;
    savedEntry_.reset();
    streamingPipeline_->start();
    publish(isRecording_, true, &AppState::isRecordingChanged);
    publish(currentTranscript_, "", &AppState::currentTranscriptChanged);
    publish(partialTranscript_, "", &AppState::partialTranscriptChanged);
    publish(sessionTranscript_, "", &AppState::sessionTranscriptChanged);
    publish(statusMessage_, "Listening...", &AppState::statusMessageChanged);
    clearError({ErrorCause::modelNotReady, ErrorCause::recording});
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
    showError(reason, ErrorCause::recording);
}

void AppState::showError(std::string message, ErrorCause cause)
{
    errorCause_ = cause;
    publish(errorMessage_, std::move(message), &AppState::errorMessageChanged);
}

void AppState::clearError(std::initializer_list<ErrorCause> causes)
{
    if (std::find(causes.begin(), causes.end(), errorCause_) != causes.end())
        publish(errorMessage_, std::nullopt, &AppState::errorMessageChanged);
}

void AppState::showMicrophoneRefusal(const std::string& message)
{
    microphoneRefused_ = true;
    showError(message, ErrorCause::other);
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
        Platform::runOnMainThread(state, [recording](AppState& self) { self.saveSession(recording); });
    });
}

void AppState::finishSavingSession()
{
    // Held aside, so that a wait for the last words that gives up meanwhile
    // cannot save the entry without them.
    const std::optional<std::uint64_t> recording = std::exchange(unsavedRecording_, std::nullopt);
    const std::vector<std::shared_ptr<StreamingPipeline>> chains = liveChains();
    for (const auto& chain : chains)
        chain->stopInserting();

    // The texts reach the state through the event loop.
    QEventLoop loop;
    QTimer check;
    const auto deadline = std::chrono::steady_clock::now() + quitTimeLimit;
    QObject::connect(&check, &QTimer::timeout, &loop, [&] {
        const bool busy =
            std::any_of(chains.begin(), chains.end(), [](const auto& chain) { return chain->isTranscribing(); });
        if (!busy || std::chrono::steady_clock::now() > deadline)
            loop.quit();
    });
    check.start(10);
    loop.exec();

    std::size_t droppedSamples = 0;
    for (const auto& chain : chains)
        droppedSamples += chain->discardQueuedAudio();
    if (droppedSamples > 0)
        FileLogger::log(
            "Quitting without transcribing " +
            Platform::formatted("%.1f", static_cast<double>(droppedSamples) / StreamingPipeline::sampleRate) +
            " s of recorded audio");
    // No worker may run on while the process tears down what it uses.
    for (const auto& chain : chains)
        chain->finish();
    waitForSubmittedJobs(retirer_);
    waitForSubmittedJobs(sessionWaiter_);
    runCallsQueuedForMainThread();

    if (recording) {
        unsavedRecording_ = recording;
        saveSession(*recording);
    }
}

void AppState::saveSession(std::uint64_t recording)
{
    if (unsavedRecording_ != recording)
        return;
    unsavedRecording_.reset();
    isLastRecordingSaved_ = true;
    const std::optional<SavedTranscript> entry = SavedTranscript::dictation(sessionTranscript_, Platform::Date::now());
    if (!entry)
        return;
    // A failed write is logged by the store; the entry is shown all the same.
    history_.save(*entry);
    transcriptHistory_.insert(transcriptHistory_.begin(), *entry);
    savedEntry_ = entry;
    emit transcriptHistoryChanged(transcriptHistory_);
    emit changed();
    FileLogger::log("Saved transcript to history: " + std::string(Platform::graphemePrefix(entry->text, 50)) + "...");
}

void AppState::saveLateWords()
{
    std::optional<SavedTranscript> entry =
        SavedTranscript::dictation(sessionTranscript_, savedEntry_ ? savedEntry_->date : Platform::Date::now());
    if (!entry)
        return;
    const auto shown = savedEntry_ ? std::find(transcriptHistory_.begin(), transcriptHistory_.end(), *savedEntry_)
                                   : transcriptHistory_.end();
    if (savedEntry_)
        entry->id = savedEntry_->id;
    history_.save(*entry);
    if (shown != transcriptHistory_.end())
        *shown = *entry;
    else
        transcriptHistory_.insert(transcriptHistory_.begin(), *entry);
    savedEntry_ = entry;
    emit transcriptHistoryChanged(transcriptHistory_);
    emit changed();
    FileLogger::log("Saved late words to history: " + std::string(Platform::graphemePrefix(entry->text, 50)) + "...");
}

} // namespace QEL
