#pragma once

#include <exception>
#include <stdexcept>
#include <string>

namespace QEL {

// The error both engine adapters throw; what() is the description the user sees.
class STTEngineError : public std::runtime_error {
public:
    enum class Kind { transcriptionFailed, modelNotLoaded };

    static STTEngineError transcriptionFailed(const std::string& message);
    static STTEngineError modelNotLoaded();

    Kind kind() const { return kind_; }
    // The message of transcriptionFailed; empty for modelNotLoaded.
    const std::string& message() const { return message_; }
    // The case with its payload, for debug traces: transcriptionFailed("...").
    std::string caseDescription() const;

private:
    STTEngineError(Kind kind, std::string message, const std::string& description);
    Kind kind_;
    std::string message_;
};

// Any error as the debug log shows it: an engine error's case with its
// payload, any other error's description, and after it the errors that caused
// it (Platform::describingCauses).
std::string debugDescription(const std::exception& error);

} // namespace QEL
