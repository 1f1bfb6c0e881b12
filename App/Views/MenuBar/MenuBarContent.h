#pragma once

// What the menu shows, as plain values: the menu is built from this alone, and
// rebuilt only when it changes.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace QEL {

class AppState;
class AudioDeviceManager;

struct MenuBarContent {
    struct Device {
        std::uint32_t id = 0;
        std::string name {};
        bool isDefault = false;
        bool operator==(const Device&) const = default;
    };
    struct RecentTranscript {
        std::string id {};
        std::string text {};
        bool operator==(const RecentTranscript&) const = default;
    };
    static constexpr std::size_t recentCount = 3;

    bool isRecording = false;
    bool isModelLoaded = false;
    bool isLoadingModel = false;
    std::string modelLoadPhase {};
    double modelDownloadProgress = 0; // 0 to 1
    std::optional<std::string> errorMessage {};
    std::string currentTranscript {};
    std::int64_t transcriptionCount = 0;
    double lastLatencyMs = 0;
    std::vector<Device> devices {}; // in the sound server's order
    std::optional<std::uint32_t> selectedDevice {};
    std::vector<RecentTranscript> recentTranscripts {}; // the newest three at most, newest first

    bool operator==(const MenuBarContent&) const = default;
};

MenuBarContent menuBarContent(const AppState& state, const AudioDeviceManager& devices);

} // namespace QEL
