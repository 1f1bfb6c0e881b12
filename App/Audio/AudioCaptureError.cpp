#include "App/Audio/AudioCaptureError.h"

namespace QEL {

AudioCaptureError AudioCaptureError::noInputDevice()
{
    return {Kind::noInputDevice, "No audio input device found"};
}

AudioCaptureError AudioCaptureError::captureAlreadyRunning()
{
    return {Kind::captureAlreadyRunning, "Audio capture is already running"};
}

AudioCaptureError AudioCaptureError::captureEnded(const std::string& reason)
{
    return {Kind::captureEnded, "Audio capture ended: " + reason};
}

} // namespace QEL
