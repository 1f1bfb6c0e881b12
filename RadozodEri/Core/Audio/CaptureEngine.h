#pragma once

#include "Platform/Audio/AudioSources.h"
#include "Platform/Audio/FrameAssembler.h"
#include "Platform/Audio/PCMBuffer.h"
#include "Platform/Audio/RecordingStream.h"
#include "Platform/Audio/SoundServerConnection.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace RadozodEri {

// Live capture from one sound-server source in its own rate and channels,
// delivered in buffers of a fixed number of frames. Its calls throw
// Platform::Audio::SoundServerError; destroying it ends the capture, and no
// tap call starts after that.
class CaptureEngine {
public:
    // May change the buffer; it is refilled for the next call.
    using Tap = std::function<void(Platform::Audio::PCMBuffer& buffer)>;

    // Connects to the sound server; nothing records yet.
    explicit CaptureEngine(const std::string& clientName);

    // Records from the source with that index.
    void selectSource(std::uint32_t index);
    // Records from the server's default source.
    void selectDefaultSource();
    bool hasSource() const { return source_.has_value(); }
    // The chosen source's rate and channels.
    Platform::Audio::AudioFormat sourceFormat() const;

    // Opens the recording of the chosen source (the default one when none
    // is), paused: each `bufferFrames`
    // frames reach `tap`, on the connection's thread.
    void installTap(std::uint32_t bufferFrames, Tap tap);
    void start();
    void pause();

private:
    void deliver(std::span<const float> interleaved);

    Platform::Audio::SoundServerConnection connection_;
    std::optional<Platform::Audio::AudioSource> source_;
    Tap tap_;
    std::optional<Platform::Audio::FrameAssembler> assembler_;
    std::optional<Platform::Audio::PCMBuffer> buffer_;
    std::unique_ptr<Platform::Audio::RecordingStream> stream_; // last: it goes first
};

} // namespace RadozodEri
