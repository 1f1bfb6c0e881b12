#pragma once

#include "Platform/Audio/SoundServerConnection.h"

#include <functional>
#include <span>
#include <string>

struct pa_stream;

namespace Platform::Audio {

struct AudioSource;

// Records mono 32-bit float samples at a chosen rate from the server's default
// source; the server converts whatever the device delivers (rate, channels,
// sample format). The stream stays with the source it began on: when that
// source goes away the recording ends, rather than carrying on from whichever
// source, perhaps a monitor of the speakers, the server would move it to.
class RecordingStream {
public:
    enum class End {
        sourceGone, // the source was removed, or the server stopped the stream
        serverGone, // the connection to the server was lost
    };

    struct Callbacks {
        // Each chunk of samples, in order, as the server hands it over;
        // frames of several channels are interleaved.
        std::function<void(std::span<const float> samples)> onSamples;
        // At most once, when the recording ends without being asked to.
        std::function<void(End end, const SoundServerError& error)> onEnded;
    };

    // Opens a paused stream on the default source. Refuses a default source
    // that is not an input (a monitor of an output). The callbacks run on the
    // connection's thread (see SoundServerConnection). Throws SoundServerError.
    RecordingStream(const SoundServerConnection& connection, unsigned sampleRate, Callbacks callbacks);
    // Opens a paused stream on that source, in its own rate and channels, so
    // the server converts nothing.
    RecordingStream(const SoundServerConnection& connection, const AudioSource& source, Callbacks callbacks);
    // Ends the recording: once this has returned no callback runs. Not on the
    // connection's thread.
    ~RecordingStream();
    RecordingStream(const RecordingStream&) = delete;
    RecordingStream& operator=(const RecordingStream&) = delete;

    // Starts the flow of samples, or resumes it after pause(). Throws
    // SoundServerError.
    void start();
    // Holds the flow back until start(); the source records nothing meanwhile.
    // Throws SoundServerError.
    void pause();

    // The server's name of the source it records from.
    const std::string& sourceName() const { return sourceName_; }
    unsigned sampleRate() const { return sampleRate_; }
    unsigned channelCount() const { return channelCount_; }

private:
    static void onStateChange(pa_stream* stream, void* self);
    static void onReadable(pa_stream* stream, std::size_t bytes, void* self);
    void open();
    void setCorked(bool corked, const char* action);
    void release();

    const SoundServerConnection& connection_;
    Callbacks callbacks_;
    std::string sourceName_;
    unsigned sampleRate_;
    unsigned channelCount_;
    pa_stream* stream_ = nullptr;
    bool ready_ = false; // under the lock
};

} // namespace Platform::Audio
