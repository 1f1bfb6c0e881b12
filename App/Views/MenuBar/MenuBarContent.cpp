#include "App/Views/MenuBar/MenuBarContent.h"

#include "App/Audio/AudioDeviceManager.h"
#include "App/State/AppState.h"

#include <algorithm>

namespace QEL {

MenuBarContent menuBarContent(const AppState& state, const AudioDeviceManager& devices)
{
    MenuBarContent content{
        .isRecording = state.isRecording(),
        .isModelLoaded = state.isModelLoaded(),
        .isLoadingModel = state.isLoadingModel(),
        .modelLoadPhase = state.modelLoadPhase(),
        .modelDownloadProgress = state.modelDownloadProgress(),
        .errorMessage = state.errorMessage(),
        .currentTranscript = state.currentTranscript(),
        .transcriptionCount = state.transcriptionCount(),
        .lastLatencyMs = state.lastLatencyMs(),
    };
    for (const AudioDeviceManager::AudioInputDevice& device : devices.availableDevices())
        content.devices.push_back({.id = device.id, .name = device.name, .isDefault = device.isDefault});
    if (const auto& selected = devices.selectedDevice())
        content.selectedDevice = selected->id;
    const auto& history = state.transcriptHistory();
    for (std::size_t i = 0; i < std::min(history.size(), MenuBarContent::recentCount); ++i)
        content.recentTranscripts.push_back({.id = history[i].id, .text = history[i].text});
    return content;
}

} // namespace QEL
