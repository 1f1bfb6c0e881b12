#include "App/Audio/AudioDeviceManager.h"

#include "App/AppIdentity.h"
#include "App/Utils/FileLogger.h"
#include "Platform/Audio/AudioSources.h"
#include "Platform/Audio/SoundServerConnection.h"
#include "Platform/EventLoop/MainThread.h"

#include <algorithm>

namespace QEL {

using Platform::Audio::AudioSource;
using Platform::Audio::SoundServerConnection;
using Platform::Audio::SoundServerError;

// What the manager publishes, and its connection to the server. Everything
// here lives on the main thread; the connection's callbacks reach it through
// the main thread's queue, holding it only weakly.
struct AudioDeviceManager::State : std::enable_shared_from_this<State> {
    std::vector<AudioInputDevice> availableDevices;
    std::optional<AudioInputDevice> selectedDevice;
    bool isDeviceActive = false;
    std::function<void()> onChange;
    std::vector<AudioSource> sources; // as last published, for the server's names of the devices
    // Declared before the watch, so that the watch ends first.
    std::unique_ptr<SoundServerConnection> connection;
    std::unique_ptr<Platform::Audio::SourceChangeWatch> watch;

    void refresh();
    void publish(std::vector<AudioSource> found, const std::string& defaultName);
    void select(const AudioInputDevice& device);

private:
    void connect();
    void connectionLost(const std::string& reason);
};

void AudioDeviceManager::State::refresh()
{
    std::vector<AudioSource> found;
    std::string defaultName;
    try {
        if (!connection)
            connect();
        found = Platform::Audio::recordingSources(*connection);
        defaultName = Platform::Audio::defaultSourceName(*connection);
    } catch (const SoundServerError& error) {
        FileLogger::log(std::string("Cannot read the audio devices: ") + error.what());
        found.clear();
        defaultName.clear();
    }
    Platform::runOnMainThread(weak_from_this(), [found = std::move(found), defaultName](State& state) mutable {
        state.publish(std::move(found), defaultName);
    });
}

void AudioDeviceManager::State::connect()
{
    auto made = std::make_unique<SoundServerConnection>(AppIdentity::name);
    const std::weak_ptr<State> weakState = weak_from_this();
    made->setOnLost([weakState](const SoundServerError& error) {
        Platform::runOnMainThread(weakState,
                                  [reason = std::string(error.what())](State& state) { state.connectionLost(reason); });
    });
    watch = std::make_unique<Platform::Audio::SourceChangeWatch>(*made, [weakState] {
        Platform::runOnMainThread(weakState, [](State& state) {
            FileLogger::log("Audio device change detected!");
            state.refresh();
        });
    });
    connection = std::move(made);
}

// The devices went with the server; the refresh tries to connect again and,
// while there is no server, publishes an empty list.
void AudioDeviceManager::State::connectionLost(const std::string& reason)
{
    FileLogger::log("Lost the connection to the sound server: " + reason);
    watch.reset();
    connection.reset();
    refresh();
}

void AudioDeviceManager::State::publish(std::vector<AudioSource> found, const std::string& defaultName)
{
    availableDevices.clear();
    for (const AudioSource& source : found)
        availableDevices.push_back({source.index, source.description.empty() ? "Unknown Device" : source.description,
                                    source.vendor, std::max(source.channelCount, 1), source.name == defaultName});
    sources = std::move(found);

    const bool selectionRemains = selectedDevice && std::find(availableDevices.begin(), availableDevices.end(),
                                                              *selectedDevice) != availableDevices.end();
    if (!selectionRemains) {
        auto chosen = std::find_if(availableDevices.begin(), availableDevices.end(),
                                   [](const AudioInputDevice& device) { return device.isDefault; });
        if (chosen == availableDevices.end())
            chosen = availableDevices.begin();
        selectedDevice = chosen == availableDevices.end() ? std::nullopt : std::optional(*chosen);
    }
    isDeviceActive = selectedDevice.has_value();

    std::string names;
    for (const AudioInputDevice& device : availableDevices)
        names += (names.empty() ? "" : ", ") + device.name;
    FileLogger::log("Audio devices: " + names);
    FileLogger::log("Selected device: " + (selectedDevice ? selectedDevice->name : std::string("none")));
    if (onChange)
        onChange();
}

void AudioDeviceManager::State::select(const AudioInputDevice& device)
{
    selectedDevice = device;
    const auto source = std::find_if(sources.begin(), sources.end(),
                                     [&](const AudioSource& candidate) { return candidate.index == device.id; });
    if (source != sources.end() && connection) {
        try {
            Platform::Audio::setDefaultSource(*connection, source->name);
        } catch (const SoundServerError& error) {
            FileLogger::log(std::string("Cannot make the device the default: ") + error.what());
        }
    }
    FileLogger::log("Switched to device: " + device.name);
    if (onChange)
        onChange();
}

AudioDeviceManager& AudioDeviceManager::shared()
{
    static AudioDeviceManager manager;
    return manager;
}

AudioDeviceManager::AudioDeviceManager() : state_(std::make_shared<State>())
{
    state_->refresh();
}

AudioDeviceManager::~AudioDeviceManager() = default;

const std::vector<AudioDeviceManager::AudioInputDevice>& AudioDeviceManager::availableDevices() const
{
    return state_->availableDevices;
}

const std::optional<AudioDeviceManager::AudioInputDevice>& AudioDeviceManager::selectedDevice() const
{
    return state_->selectedDevice;
}

bool AudioDeviceManager::isDeviceActive() const
{
    return state_->isDeviceActive;
}

void AudioDeviceManager::setOnChange(std::function<void()> onChange)
{
    state_->onChange = std::move(onChange);
}

void AudioDeviceManager::refreshDevices()
{
    state_->refresh();
}

void AudioDeviceManager::selectDevice(const AudioInputDevice& device)
{
    state_->select(device);
}

} // namespace QEL
