#pragma once

#include "App/Audio/AudioCaptureManager.h"
#include "App/Audio/StreamingPipeline.h"
#include "App/HotKey/GlobalHotKeyManager.h"
#include "App/Models/InsertionMode.h"
#include "App/Models/SavedTranscript.h"
#include "App/STT/QelCoreLibrary.h"
#include "Platform/Concurrency/WorkerPool.h"
#include "Platform/Log/Log.h"
#include "Platform/UserDefaults/UserDefaults.h"

#include <QObject>

#include <chrono>
#include <cstdint>
#include <exception>
#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace QEL {

class STTEngine;
class TextInserting;
class TextProcessor;
class TranscriptHistoryStore;
class VoiceActivityDetector;

// The application's one state: what the windows show (recording and model
// state, transcripts, level, status and error texts, latency, the history),
// the recording settings kept in the user defaults, and the dictation chain
// that an engine load builds.
//
// It lives on the main thread. Every member is called there, and every signal
// is emitted there; work on other threads reaches it only through
// Platform::runOnMainThread, holding it weakly.
class AppState : public QObject, public std::enable_shared_from_this<AppState> {
    Q_OBJECT

    struct Private {};

public:
    // The application's instance, over the user's settings and history; built
    // on first use and kept for the life of the process.
    static AppState& shared();

    // A state of its own over the given settings and history, reaching the
    // outside engine through `library`.
    static std::shared_ptr<AppState> create(Platform::UserDefaults& defaults, TranscriptHistoryStore& history,
                                            const QelCoreLibrary& library = QelCoreLibrary::linked());

    AppState(Private, Platform::UserDefaults& defaults, TranscriptHistoryStore& history, const QelCoreLibrary& library);
    // Waits for an engine load still running.
    ~AppState() override;

    // Published fields. A change emits the field's signal with the new value,
    // then changed(); setting a field to the value it holds emits nothing.
    bool isRecording() const { return isRecording_; }
    bool isModelLoaded() const { return isModelLoaded_; }
    bool isLoadingModel() const { return isLoadingModel_; }
    const std::string& currentTranscript() const { return currentTranscript_; }
    const std::string& partialTranscript() const { return partialTranscript_; }
    float audioLevel() const { return audioLevel_; }
    bool isSpeechDetected() const { return isSpeechDetected_; }
    const std::string& statusMessage() const { return statusMessage_; }
    const std::optional<std::string>& errorMessage() const { return errorMessage_; }
    double lastLatencyMs() const { return lastLatencyMs_; }
    std::int64_t transcriptionCount() const { return transcriptionCount_; }
    double modelDownloadProgress() const { return modelDownloadProgress_; }
    const std::string& modelLoadPhase() const { return modelLoadPhase_; }
    const std::string& sessionTranscript() const { return sessionTranscript_; }
    // Newest first.
    const std::vector<SavedTranscript>& transcriptHistory() const { return transcriptHistory_; }
    // For the history browser, which removes the entries it deletes.
    void setTranscriptHistory(std::vector<SavedTranscript> history);
    // The store the history was loaded from, and where entries are deleted.
    TranscriptHistoryStore& transcriptHistoryStore() { return history_; }

    // The global hot key; each press toggles recording. Nothing is registered
    // until the launch applies the stored binding.
    GlobalHotKeyManager& hotKeyManager() { return hotKeyManager_; }

    // The chain of the last successful engine load; none before one.
    AudioCaptureManager* audioCaptureManager() const { return audioCaptureManager_.get(); }
    StreamingPipeline* streamingPipeline() const { return streamingPipeline_.get(); }

    // Stored settings, each under the key of its own name. A read gives the
    // stored value, or the default when none of the setting's type is stored;
    // a write stores at once. The engine load reads them, so a change takes
    // effect at the next load.
    std::string selectedModel() const;
    void setSelectedModel(const std::string& model);
    InsertionMode insertionMode() const;
    void setInsertionMode(InsertionMode mode);
    std::int64_t silenceThresholdMs() const;
    void setSilenceThresholdMs(std::int64_t milliseconds);
    // The silence thresholds the settings offer. A stored value outside them
    // is shown and used at the nearest end.
    static constexpr std::int64_t minimumSilenceThresholdMs = 200;
    static constexpr std::int64_t maximumSilenceThresholdMs = 1500;
    bool removeFillers() const;
    void setRemoveFillers(bool remove);
    bool enableCommands() const;
    void setEnableCommands(bool enable);
    std::string selectedLanguage() const;
    void setSelectedLanguage(const std::string& language);

    // Builds the engine the settings select, loads the selected model on a
    // thread of its own, and builds the dictation chain around it; the outcome
    // shows in the published fields. Returns at once. `whenDone` runs on the
    // main thread once the load has ended, or at once when a load is already
    // running (this call then does nothing else).
    void loadEngine(std::function<void()> whenDone = {});

    void toggleRecording();
    void startRecording();
    // The recording's text is saved once the transcriptions still running for
    // it have ended, or after lastWordsTimeLimit.
    void stopRecording();

    // For the end of the program, once the event loop has stopped. Nothing is
    // inserted any more; the utterances already captured are transcribed for
    // up to quitTimeLimit, the rest dropped with a log line naming how much
    // audio that was. Then every chain's threads end (after the transcription
    // each has under way), and the stopped recording is saved with the texts.
    void finishSavingSession();
    static constexpr std::chrono::seconds quitTimeLimit{6};

    // Shows why the microphone cannot be used, found by the check at launch.
    void showMicrophoneRefusal(const std::string& message);

    static constexpr std::chrono::seconds lastWordsTimeLimit{5};

    // The outside engine's initial prompt, from the vocabulary in `defaults`.
    static std::string composeInitialPrompt(const Platform::UserDefaults& defaults);
    static std::string composeInitialPrompt();

signals:
    // After any published field has changed.
    void changed();

    void isRecordingChanged(bool isRecording);
    void isModelLoadedChanged(bool isModelLoaded);
    void isLoadingModelChanged(bool isLoadingModel);
    void currentTranscriptChanged(const std::string& text);
    void partialTranscriptChanged(const std::string& text);
    void audioLevelChanged(float level);
    void isSpeechDetectedChanged(bool isSpeechDetected);
    void statusMessageChanged(const std::string& message);
    void errorMessageChanged(const std::optional<std::string>& message);
    void lastLatencyMsChanged(double milliseconds);
    void transcriptionCountChanged(std::int64_t count);
    void modelDownloadProgressChanged(double fraction);
    void modelLoadPhaseChanged(const std::string& phase);
    void sessionTranscriptChanged(const std::string& text);
    void transcriptHistoryChanged(const std::vector<SavedTranscript>& history);

    // After a stored setting has been written through this state.
    void selectedModelChanged(const std::string& model);
    void insertionModeChanged(InsertionMode mode);
    void silenceThresholdMsChanged(std::int64_t milliseconds);
    void removeFillersChanged(bool remove);
    void enableCommandsChanged(bool enable);
    void selectedLanguageChanged(const std::string& language);

private:
    template <class T, class Value, class... Arguments>
    void publish(T& field, Value&& value, void (AppState::*signal)(Arguments...))
    {
        if (field == value)
            return;
        field = std::forward<Value>(value);
        emit(this->*signal)(field);
        emit changed();
    }

    // What an error shown on the pill is about, so that it goes once its
    // cause has: a successful load ends "still loading", a recording that
    // starts ends the trouble of the one before.
    enum class ErrorCause { other, modelNotReady, recording };
    void showError(std::string message, ErrorCause cause);
    void clearError(std::initializer_list<ErrorCause> causes);

    void finishLoading(std::shared_ptr<STTEngine> engine, std::exception_ptr failure);
    void failLoading(const std::exception& error);

    // The parts of a new chain, from the settings.
    std::unique_ptr<VoiceActivityDetector> makeDetector() const;
    std::shared_ptr<TextInserting> makeInserter() const;
    std::unique_ptr<TextProcessor> makeTextProcessor();
    void installCallbacks(StreamingPipeline& pipeline);

    void captureEnded(const std::string& reason);
    void saveSessionWhenTranscribed();
    void saveSession(std::uint64_t recording);
    // Texts of a recording whose entry is saved already (its last words took
    // longer than the wait, or came from a chain a reload replaced) are added
    // to that entry.
    void saveLateWords();
    // A chain a reload replaced finishes its queue on a thread of its own: its
    // pastes need the main thread, which must not wait for them.
    void retireChain(std::shared_ptr<StreamingPipeline> chain);
    // The current chain and the retired ones still finishing.
    std::vector<std::shared_ptr<StreamingPipeline>> liveChains();
    // "Ready — press " and the hot key.
    std::string readyStatus() const;

    Platform::UserDefaults& defaults_;
    TranscriptHistoryStore& history_;
    const QelCoreLibrary& library_;
    Platform::Logger logger_;

    bool isRecording_ = false;
    bool isModelLoaded_ = false;
    bool isLoadingModel_ = false;
    std::string currentTranscript_;
    std::string partialTranscript_;
    float audioLevel_ = 0;
    bool isSpeechDetected_ = false;
    std::string statusMessage_ = "Starting up...";
    std::optional<std::string> errorMessage_;
    ErrorCause errorCause_ = ErrorCause::other;
    double lastLatencyMs_ = 0;
    std::int64_t transcriptionCount_ = 0;
    double modelDownloadProgress_ = 0;
    std::string modelLoadPhase_;
    std::string sessionTranscript_;
    std::vector<SavedTranscript> transcriptHistory_;

    GlobalHotKeyManager hotKeyManager_;
    // Shared with the waits for a stopped recording's last transcriptions.
    std::shared_ptr<StreamingPipeline> streamingPipeline_;
    // After the pipeline, so that it stops delivering first.
    std::unique_ptr<AudioCaptureManager> audioCaptureManager_;

    // Recordings are numbered; the one whose text is not saved yet, if any.
    std::uint64_t recordingCount_ = 0;
    std::optional<std::uint64_t> unsavedRecording_;
    // Whether the last recording is saved, and its entry when it had words,
    // until the next recording starts.
    bool isLastRecordingSaved_ = false;
    std::optional<SavedTranscript> savedEntry_;
    std::vector<std::weak_ptr<StreamingPipeline>> retiredChains_;
    bool microphoneRefused_ = false;

    // Waits for a stopped recording's last transcriptions off the main thread.
    Platform::WorkerPool sessionWaiter_{1};
    // Finishes the chains that reloads replaced.
    Platform::WorkerPool retirer_{1};
    // Runs the engine's load, which may download a model, off the main thread.
    // Last, so that a load still running ends before the rest goes.
    Platform::WorkerPool loader_{1};
};

} // namespace QEL
