#pragma once

#include <stdexcept>
#include <string>

namespace Platform::Audio {

// A failure of the sound server or of our dealings with it, described by the
// server's own error code and text: "PulseAudio error 6 (Connection refused)",
// followed by ": " and a detail where one helps.
class SoundServerError : public std::runtime_error {
public:
    explicit SoundServerError(int code, const std::string& detail = {});

    int code() const { return code_; }
    // The server answered but would not let this user in.
    bool refusedAccess() const;

private:
    int code_;
};

} // namespace Platform::Audio
