#pragma once

#include "App/Audio/AudioCaptureError.h"
#include "App/Audio/GainControl.h"

#include <cstddef>
#include <functional>
#include <memory>
#include <vector>

namespace QEL {

// Records the microphone while dictation is on. It records the sound server's
// default source as 16 kHz mono 32-bit float, whatever the device delivers,
// and hands the audio over in buffers of exactly 100 ms (1,600 samples),
// levelled by the gain control, on the application's main thread (the thread
// of the QCoreApplication; without one nothing is delivered).
//
// Every member is called on the main thread. One manager serves any number of
// recordings, one at a time; its gain control carries over between them.
class AudioCaptureManager {
public:
    static constexpr unsigned sampleRate = 16000;
    static constexpr double bufferDurationMs = 100.0;
    static constexpr std::size_t samplesPerBuffer = 1600;

    using BufferCallback = std::function<void(const std::vector<float>& samples)>;
    using EndCallback = std::function<void(const AudioCaptureError& error)>;

    AudioCaptureManager() = default;
    // Stops a recording in progress first.
    ~AudioCaptureManager();
    AudioCaptureManager(const AudioCaptureManager&) = delete;
    AudioCaptureManager& operator=(const AudioCaptureManager&) = delete;

    // Starts recording: each buffer goes to `onBuffer`. When the recording
    // ends on its own (the microphone or the sound server went away), the
    // manager is idle again and `onEnded` is told why, after every buffer
    // recorded before. While recording this does nothing, and the callbacks
    // given now are not kept. Throws AudioCaptureError::noInputDevice when
    // there is no sound server, no input to record from, or the server
    // refuses; it waits no longer than the sound server's time limit.
    void startCapture(BufferCallback onBuffer, EndCallback onEnded = {});

    // Stops recording: no callback of the recording runs after this, not even
    // for audio already recorded. Does nothing when not recording.
    void stopCapture();

    bool isCapturing() const { return session_ != nullptr; }
    float agcGain() const { return gainControl_.agcGain; }
    float envelope() const { return gainControl_.envelope; }

private:
    struct Session;

    void deliver(Session& session, std::vector<float> buffer);
    void end(Session& session, const AudioCaptureError& error);

    std::shared_ptr<Session> session_;
    GainControl gainControl_;
};

} // namespace QEL
