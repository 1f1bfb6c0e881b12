#pragma once

#include "Platform/Audio/SoundServerConnection.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace Platform::Audio {

// One source of the sound server that records from a device: a microphone,
// a line input, a virtual input. Monitors of outputs, which replay what the
// computer plays, are not among them.
struct AudioSource {
    std::uint32_t index = 0; // the server's identifier, never reused while it runs
    std::string name;        // the server's name for it
    std::string description; // the name people see; may be empty
    std::string vendor;      // the device's maker; empty when unknown
    int channelCount = 0;
    unsigned sampleRate = 0; // the rate it records at
};

// The sources that record, in the server's order. Every function here takes
// the connection's lock itself and throws SoundServerError.
std::vector<AudioSource> recordingSources(const SoundServerConnection& connection);

// The name of the server's default source; empty when it has none.
std::string defaultSourceName(const SoundServerConnection& connection);

// The default source; throws SoundServerError when there is none or it is
// not an input (a monitor of an output).
AudioSource defaultRecordingSource(const SoundServerConnection& connection);

// The source that records with that index; throws SoundServerError when
// there is none.
AudioSource recordingSource(const SoundServerConnection& connection, std::uint32_t index);

// Makes the source of that name the server's default.
void setDefaultSource(const SoundServerConnection& connection, const std::string& name);

// Tells when a source is added or removed, or the default source changes,
// while it lives. `onChange` runs on the connection's thread (see
// SoundServerConnection). One watch per connection.
class SourceChangeWatch {
public:
    SourceChangeWatch(const SoundServerConnection& connection, std::function<void()> onChange);
    // No call of onChange starts once this has begun; not on the connection's thread.
    ~SourceChangeWatch();
    SourceChangeWatch(const SourceChangeWatch&) = delete;
    SourceChangeWatch& operator=(const SourceChangeWatch&) = delete;

private:
    const SoundServerConnection& connection_;
    std::function<void()> onChange_;
};

} // namespace Platform::Audio
