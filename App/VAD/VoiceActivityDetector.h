#pragma once

#include <vector>

namespace QEL {

// The verdict for one frame.
enum class VADResult {
    speech,   // loud enough to count as speech
    silence,  // quiet, ends nothing
    endpoint, // an open utterance has just ended
};

// Decides frame by frame whether the user is speaking and when an utterance ends.
// Used from one thread (the one that delivers frames).
class VoiceActivityDetector {
public:
    virtual ~VoiceActivityDetector() = default;

    virtual VADResult process(const std::vector<float>& samples) = 0;
    virtual void reset() = 0;
    // True while an utterance is open: from its first speech frame until its end point.
    virtual bool isSpeechActive() const = 0;
};

} // namespace QEL
