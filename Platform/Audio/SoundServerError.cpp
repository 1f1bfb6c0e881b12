#include "Platform/Audio/SoundServerError.h"

#include <pulse/def.h>
#include <pulse/error.h>

namespace Platform::Audio {

namespace {

std::string describe(int code, const std::string& detail)
{
    const char* meaning = pa_strerror(code);
    std::string text = "PulseAudio error " + std::to_string(code) + " (" + (meaning ? meaning : "unknown") + ")";
    return detail.empty() ? text : text + ": " + detail;
}

} // namespace

SoundServerError::SoundServerError(int code, const std::string& detail)
    : std::runtime_error(describe(code, detail)), code_(code)
{
}

bool SoundServerError::refusedAccess() const
{
    return code_ == PA_ERR_ACCESS;
}

} // namespace Platform::Audio
