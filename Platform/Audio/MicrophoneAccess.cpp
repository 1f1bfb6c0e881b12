#include "Platform/Audio/MicrophoneAccess.h"

#include "Platform/Audio/AudioSources.h"
#include "Platform/Audio/SoundServerConnection.h"

namespace Platform::Audio {

MicrophoneAccess microphoneAccess(const std::string& clientName)
{
    try {
        const SoundServerConnection connection(clientName);
        return recordingSources(connection).empty() ? MicrophoneAccess::noInput : MicrophoneAccess::granted;
    } catch (const SoundServerError& error) {
        return error.refusedAccess() ? MicrophoneAccess::refused : MicrophoneAccess::noInput;
    }
}

} // namespace Platform::Audio
