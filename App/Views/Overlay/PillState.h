#pragma once

// What the floating pill shows, as plain values: the pill draws from this
// alone, so it can be shown in any state.

#include <optional>
#include <string>

namespace QEL {

class AppState;

struct PillState {
    bool isRecording = false;
    bool isSpeechDetected = false;
    float audioLevel = 0; // 0 to 1
    bool isLoadingModel = false;
    std::string modelLoadPhase {};
    double modelDownloadProgress = 0; // 0 to 1
    std::optional<std::string> errorMessage {};
    bool isModelLoaded = false;
    std::string currentTranscript {};
    std::string partialTranscript {};
    double lastLatencyMs = 0;
    // The dictation hot key as the user reads it, "⌥⇧Space" by default.
    std::string hotKey {};

    bool operator==(const PillState&) const = default;
};

// The state's values, and its hot key as the hot-key manager shows it now.
PillState pillState(AppState& state);

} // namespace QEL
