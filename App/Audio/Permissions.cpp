#include "App/Audio/Permissions.h"

#include "App/AppIdentity.h"
#include "Platform/Audio/MicrophoneAccess.h"
#include "Platform/Concurrency/WorkerPool.h"
#include "Platform/EventLoop/MainThread.h"

namespace QEL::Permissions {

namespace {

constexpr const char* accessRequired = "Microphone access is required for dictation";
constexpr const char* accessDenied = "Microphone access denied. Please enable in System Settings.";

} // namespace

std::optional<std::string> microphoneRefusal()
{
    switch (Platform::Audio::microphoneAccess(AppIdentity::name)) {
    case Platform::Audio::MicrophoneAccess::granted: return std::nullopt;
    case Platform::Audio::MicrophoneAccess::refused: return accessDenied;
    case Platform::Audio::MicrophoneAccess::noInput: break;
    }
    return accessRequired;
}

void requestMicrophoneAccess(std::function<void(const std::string& message)> showError)
{
    // Checks wait for the server, so they take turns on a thread of their own;
    // one still running when the program ends is waited for, within the time limit.
    static Platform::WorkerPool checks(1);
    checks.submit([showError = std::move(showError)] {
        if (std::optional<std::string> refusal = microphoneRefusal())
            Platform::runOnMainThread([showError, message = std::move(*refusal)] { showError(message); });
    });
}

} // namespace QEL::Permissions
