#pragma once

#include <atomic>
#include <filesystem>
#include <thread>
#include <vector>

namespace TestSupport {

// The pipe behind the headless desktop's microphone, $QEL_MIC_FIFO, which the
// sound server offers as its default source; empty outside that desktop.
std::filesystem::path desktopMicrophone();

// Speaks into a microphone that reads a pipe: writes 32-bit float samples
// into it. The desktop's microphone takes mono 16 kHz, its own format, so a
// recording of that format reads them back unchanged.
//
// The sound server takes data from the pipe only while something records, so
// the writing runs on a thread of its own and the test records meanwhile.
class MicrophoneFeed {
public:
    // Starts writing `samples` (interleaved, for a pipe of several channels);
    // microphoneSamples() reads them from a WAV file.
    explicit MicrophoneFeed(std::vector<float> samples, std::filesystem::path pipe = desktopMicrophone());

    // Stops writing, whether or not everything was taken.
    ~MicrophoneFeed();
    MicrophoneFeed(const MicrophoneFeed&) = delete;
    MicrophoneFeed& operator=(const MicrophoneFeed&) = delete;

    // Whether every sample has gone into the pipe.
    bool finished() const { return finished_; }

private:
    void write(const std::vector<float>& samples, const std::filesystem::path& pipePath);

    std::atomic<bool> stopping_{false};
    std::atomic<bool> finished_{false};
    std::jthread writer_;
};

// The sound of a WAV file in the microphone's format (converted with sox).
// Throws std::runtime_error when the file cannot be converted.
std::vector<float> microphoneSamples(const std::filesystem::path& wav);

} // namespace TestSupport
