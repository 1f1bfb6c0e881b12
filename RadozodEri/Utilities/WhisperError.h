#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace RadozodEri {

// The engine's own failures. Every case carries a message chosen where it is
// raised; what() is that message. Errors of the platform and of other parts
// of the program pass through the engine unchanged.
class WhisperError : public std::runtime_error {
public:
    enum class Kind {
        tokenizerUnavailable,
        modelsUnavailable,
        prefillFailed,
        audioProcessingFailed,
        decodingLogitsFailed,
        segmentingFailed,
        loadAudioFailed,
        prepareDecoderInputsFailed,
        transcriptionFailed,
        decodingFailed,
        microphoneUnavailable,
        initializationError,
    };

    WhisperError(Kind kind, const std::string& message) : std::runtime_error(message), kind_(kind) { }

    static WhisperError tokenizerUnavailable(const std::string& message) { return {Kind::tokenizerUnavailable, message}; }
    static WhisperError modelsUnavailable(const std::string& message) { return {Kind::modelsUnavailable, message}; }
    static WhisperError prefillFailed(const std::string& message) { return {Kind::prefillFailed, message}; }
    static WhisperError audioProcessingFailed(const std::string& message) { return {Kind::audioProcessingFailed, message}; }
    static WhisperError decodingLogitsFailed(const std::string& message) { return {Kind::decodingLogitsFailed, message}; }
    static WhisperError segmentingFailed(const std::string& message) { return {Kind::segmentingFailed, message}; }
    static WhisperError loadAudioFailed(const std::string& message) { return {Kind::loadAudioFailed, message}; }
    static WhisperError prepareDecoderInputsFailed(const std::string& message)
    {
        return {Kind::prepareDecoderInputsFailed, message};
    }
    static WhisperError transcriptionFailed(const std::string& message) { return {Kind::transcriptionFailed, message}; }
    static WhisperError decodingFailed(const std::string& message) { return {Kind::decodingFailed, message}; }
    static WhisperError microphoneUnavailable(const std::string& message) { return {Kind::microphoneUnavailable, message}; }
    static WhisperError initializationError(const std::string& message) { return {Kind::initializationError, message}; }

    Kind kind() const { return kind_; }

    // The message. Each read also logs it at error level, so every error that
    // is shown is also in the log.
    std::string errorDescription() const;

    // The same case with the same message.
    bool operator==(const WhisperError& other) const
    {
        return kind_ == other.kind_ && std::string_view(what()) == other.what();
    }

private:
    Kind kind_;
};

} // namespace RadozodEri
