#include "App/STT/STTEngineError.h"

#include "Platform/ErrorCauses.h"

namespace QEL {

STTEngineError::STTEngineError(Kind kind, std::string message, const std::string& description)
    : std::runtime_error(description), kind_(kind), message_(std::move(message))
{
}

STTEngineError STTEngineError::transcriptionFailed(const std::string& message)
{
    return {Kind::transcriptionFailed, message, "Transcription failed: " + message};
}

STTEngineError STTEngineError::modelNotLoaded()
{
    return {Kind::modelNotLoaded, {}, "No STT model is loaded"};
}

std::string STTEngineError::caseDescription() const
{
    switch (kind_) {
    case Kind::transcriptionFailed: return "transcriptionFailed(\"" + message_ + "\")";
    case Kind::modelNotLoaded: return "modelNotLoaded";
    }
    return "unknown";
}

std::string debugDescription(const std::exception& error)
{
    return Platform::describingCauses(error, [](const std::exception& each) {
        if (const auto* engineError = dynamic_cast<const STTEngineError*>(&each))
            return engineError->caseDescription();
        return std::string(each.what());
    });
}

} // namespace QEL
