#pragma once

#include <functional>
#include <stdexcept>
#include <string>

namespace QEL {

// Why microphone capture could not start, or ended on its own; what() is the
// description the user sees. Equal when kind and description are.
class AudioCaptureError : public std::runtime_error {
public:
    enum class Kind { noInputDevice, captureAlreadyRunning, captureEnded };

    static AudioCaptureError noInputDevice();
    static AudioCaptureError captureAlreadyRunning();
    // Capture stopped without being asked to: the microphone or the sound
    // server went away. `reason` says which, with the server's error.
    static AudioCaptureError captureEnded(const std::string& reason);

    Kind kind() const { return kind_; }

    bool operator==(const AudioCaptureError& other) const
    {
        return kind_ == other.kind_ && std::string(what()) == other.what();
    }

private:
    AudioCaptureError(Kind kind, const std::string& description) : std::runtime_error(description), kind_(kind) {}
    Kind kind_;
};

} // namespace QEL

template <>
struct std::hash<QEL::AudioCaptureError> {
    std::size_t operator()(const QEL::AudioCaptureError& error) const noexcept
    {
        return std::hash<std::string>{}(error.what());
    }
};
