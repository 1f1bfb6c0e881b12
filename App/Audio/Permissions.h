#pragma once

#include <functional>
#include <optional>
#include <string>

// Whether the microphone may be used. There is no permission prompt for the
// microphone here: it can be used when the sound server lets this user in and
// offers a source that records.
namespace QEL::Permissions {

// Checks the microphone off the calling thread and returns at once. When it
// cannot be used, `showError` receives the message for the user on the main
// thread; when it can, nothing happens.
void requestMicrophoneAccess(std::function<void(const std::string& message)> showError);

// The check itself, on the calling thread: the message for the user, or none
// when the microphone can be used. Waits no longer than the sound server's
// time limit.
std::optional<std::string> microphoneRefusal();

} // namespace QEL::Permissions
