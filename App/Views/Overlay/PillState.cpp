#include "App/Views/Overlay/PillState.h"

#include "App/State/AppState.h"

namespace QEL {

PillState pillState(AppState& state)
{
    const GlobalHotKeyManager& hotKeys = state.hotKeyManager();
    return {
        .isRecording = state.isRecording(),
        .isSpeechDetected = state.isSpeechDetected(),
        .audioLevel = state.audioLevel(),
        .isLoadingModel = state.isLoadingModel(),
        .modelLoadPhase = state.modelLoadPhase(),
        .modelDownloadProgress = state.modelDownloadProgress(),
        .errorMessage = state.errorMessage(),
        .isModelLoaded = state.isModelLoaded(),
        .currentTranscript = state.currentTranscript(),
        .partialTranscript = state.partialTranscript(),
        .lastLatencyMs = state.lastLatencyMs(),
        .hotKey = hotKeys.modifierString() + hotKeys.keyString(),
    };
}

} // namespace QEL
