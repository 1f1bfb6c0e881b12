#pragma once

#include <string>

namespace Platform::Audio {

// Whether this user may record. There is no permission prompt for the
// microphone here: recording works when the sound server lets the user in and
// offers a source that records.
enum class MicrophoneAccess {
    granted,
    noInput, // the server is out of reach or has no source that records
    refused, // the server would not let this user in
};

// Asks the sound server, as `clientName`, on the calling thread; waits no
// longer than the server's time limit.
MicrophoneAccess microphoneAccess(const std::string& clientName);

} // namespace Platform::Audio
