#include "App/State/AppState.h"

#include "App/Insertion/DesktopCommandEffects.h"
#include "App/Insertion/KeystrokeInserter.h"
#include "App/Insertion/PasteInserter.h"
#include "App/Processing/TextProcessor.h"
#include "App/VAD/EnergyVAD.h"
#include "App/VAD/SileroVAD.h"
#include "Platform/EventLoop/MainThread.h"
#include "Platform/Text/Format.h"

#include <algorithm>
#include <limits>

namespace QEL {

namespace {

constexpr float energyThreshold = 0.015f;
constexpr double interKeystrokeDelay = 0.005;
// The neural detector never gets as far as using it.
constexpr float speechThreshold = 0.5f;

} // namespace

std::unique_ptr<VoiceActivityDetector> AppState::makeDetector() const
{
    const int silenceMs =
        static_cast<int>(std::clamp<std::int64_t>(silenceThresholdMs(), 0, std::numeric_limits<int>::max()));
    if (const std::optional<std::string> path = SileroVAD::findModelPath()) {
        logger_.info("Found Silero VAD at: " + *path);
        try {
            return std::make_unique<SileroVAD>(*path, speechThreshold, silenceMs);
        } catch (const std::exception& error) {
            logger_.error(std::string("Silero VAD failed: ") + error.what() + ", falling back to Energy VAD");
        }
    } else {
        logger_.info("Silero VAD model not found, using Energy VAD");
    }
    return std::make_unique<EnergyVAD>(energyThreshold, silenceMs);
}

std::shared_ptr<TextInserting> AppState::makeInserter() const
{
    if (insertionMode() == InsertionMode::keystroke)
        return std::make_shared<KeystrokeInserter>(interKeystrokeDelay);
    return std::make_shared<PasteInserter>();
}

std::unique_ptr<TextProcessor> AppState::makeTextProcessor()
{
    std::optional<FillerRemover> fillerRemover;
    if (removeFillers())
        fillerRemover.emplace();
    std::optional<CommandDetector> commandDetector;
    if (enableCommands())
        commandDetector.emplace(std::make_shared<DesktopCommandEffects>([state = weak_from_this()] {
            if (const std::shared_ptr<AppState> self = state.lock())
                self->stopRecording();
        }));
    return std::make_unique<TextProcessor>(std::move(fillerRemover), std::move(commandDetector),
                                           SmartFormatter(InverseTextNormalizer()));
}

void AppState::installCallbacks(StreamingPipeline& pipeline)
{
    // Each report reaches the state from the event loop, if the state still exists.
    const std::weak_ptr<AppState> state = weak_from_this();
    pipeline.onTranscript = [state](const ProcessedResult& result) {
        Platform::runOnMainThread(state, [text = result.text](AppState& self) {
            self.logger_.info("Transcript: " + text);
            self.publish(self.currentTranscript_, text, &AppState::currentTranscriptChanged);
            self.publish(self.partialTranscript_, "", &AppState::partialTranscriptChanged);
            if (!text.empty())
                self.publish(self.sessionTranscript_,
                             self.sessionTranscript_.empty() ? text : self.sessionTranscript_ + " " + text,
                             &AppState::sessionTranscriptChanged);
        });
    };
    pipeline.onPartialTranscript = [state](const std::string& text) {
        Platform::runOnMainThread(state, [text](AppState& self) {
            self.publish(self.partialTranscript_, text, &AppState::partialTranscriptChanged);
        });
    };
    pipeline.onAudioLevel = [state](float level) {
        Platform::runOnMainThread(
            state, [level](AppState& self) { self.publish(self.audioLevel_, level, &AppState::audioLevelChanged); });
    };
    pipeline.onSpeechStateChange = [state](bool isSpeaking) {
        Platform::runOnMainThread(state, [isSpeaking](AppState& self) {
            self.publish(self.isSpeechDetected_, isSpeaking, &AppState::isSpeechDetectedChanged);
            if (isSpeaking)
                self.logger_.debug("Speech detected");
            self.publish(self.statusMessage_, isSpeaking ? "Listening..." : "Processing...",
                         &AppState::statusMessageChanged);
        });
    };
    pipeline.onLatencyReport = [state](double milliseconds) {
        Platform::runOnMainThread(state, [milliseconds](AppState& self) {
            const std::string whole = Platform::wholeNumberText(milliseconds);
            self.logger_.info("Transcription latency: " + whole + "ms");
            self.publish(self.lastLatencyMs_, milliseconds, &AppState::lastLatencyMsChanged);
            self.publish(self.transcriptionCount_, self.transcriptionCount_ + 1, &AppState::transcriptionCountChanged);
            self.publish(self.statusMessage_, "Ready — " + whole + "ms", &AppState::statusMessageChanged);
        });
    };
    pipeline.onError = [state](const std::exception& error) {
        Platform::runOnMainThread(state, [description = std::string(error.what())](AppState& self) {
            self.logger_.error("Pipeline error: " + description);
            self.publish(self.errorMessage_, description, &AppState::errorMessageChanged);
        });
    };
}

} // namespace QEL
