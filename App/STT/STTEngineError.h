#pragma once

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

} // namespace QEL
