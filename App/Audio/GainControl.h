#pragma once

#include <span>

namespace QEL {

// The software automatic gain control of microphone capture: brings each
// buffer towards a steady loudness, boosting quiet input up to fifty-fold and
// never attenuating. Its state carries over from one buffer, and one
// recording, to the next.
struct GainControl {
    static constexpr float targetRMS = 0.08f;
    static constexpr float maxGain = 50.0f;
    static constexpr float minGain = 1.0f;
    // Envelope smoothing when the level rises, and when it falls or stays.
    static constexpr float attackAlpha = 0.3f;
    static constexpr float releaseAlpha = 0.005f;
    // At or below this envelope the gain is left alone, so that silence is
    // not amplified into noise.
    static constexpr float noiseFloor = 0.0003f;
    // How far the gain moves towards its goal per buffer.
    static constexpr float adaptationRate = 0.02f;

    float agcGain = 15.0f;
    float envelope = 0.0f; // smoothed root-mean-square level of the raw input

    // Levels one buffer in place: the raw level moves the envelope, the
    // envelope moves the gain, and the whole buffer is scaled by the new gain
    // and clamped to [-1, 1]. A sample that is not a number counts as silence.
    void process(std::span<float> samples);
};

} // namespace QEL
