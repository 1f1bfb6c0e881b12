#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace QEL {

// The list of microphones (the sound server's sources that record; monitors of
// outputs are left out) for the menu's microphone choice. It marks the
// server's default source, keeps a selected device, follows sources coming and
// going and changes of the default, and choosing a device makes it the
// server's default source, which is what recording uses.
//
// Every member is called on the main thread, and everything it publishes
// changes there: a refresh reads the server at once and publishes a moment
// later, from the event loop of the QCoreApplication.
class AudioDeviceManager {
public:
    // One microphone; records are equal, and hash alike, by `id` alone.
    struct AudioInputDevice {
        std::uint32_t id = 0;     // the server's identifier of the source
        std::string name;         // "Unknown Device" when the server gives none
        std::string manufacturer; // empty when unknown
        int channelCount = 1;     // at least 1
        bool isDefault = false;   // the server's default source when the list was read

        bool operator==(const AudioInputDevice& other) const { return id == other.id; }
    };

    // The application's one manager, created on first use: it lists the
    // devices and starts following changes.
    static AudioDeviceManager& shared();

    // A manager of its own, connected to the sound server the environment
    // names at this moment; the application uses shared().
    AudioDeviceManager();
    ~AudioDeviceManager();
    AudioDeviceManager(const AudioDeviceManager&) = delete;
    AudioDeviceManager& operator=(const AudioDeviceManager&) = delete;

    const std::vector<AudioInputDevice>& availableDevices() const;
    const std::optional<AudioInputDevice>& selectedDevice() const;
    // True exactly when a device is selected.
    bool isDeviceActive() const;

    // Called after each change of what is published.
    void setOnChange(std::function<void()> onChange);

    // Reads the devices and the default source now and publishes them shortly
    // after. Without a sound server the list is empty.
    void refreshDevices();
    // Selects the device and makes it the server's default source.
    void selectDevice(const AudioInputDevice& device);

private:
    struct State;
    std::shared_ptr<State> state_;
};

} // namespace QEL

template <>
struct std::hash<QEL::AudioDeviceManager::AudioInputDevice> {
    std::size_t operator()(const QEL::AudioDeviceManager::AudioInputDevice& device) const noexcept
    {
        return std::hash<std::uint32_t>{}(device.id);
    }
};
