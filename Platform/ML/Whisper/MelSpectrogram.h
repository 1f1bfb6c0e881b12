#pragma once

#include <vector>

namespace Platform::ML {

// Log-mel spectrogram of one audio window. The window is `windowSamples`
// long (480,000 for 30 s); `count` samples are given and the rest is
// silence. Writes nMels rows of windowSamples / 160 frames (mel-major) into
// `out`. `filters` is the model's [nMels][201] filter bank. NaN and infinite
// samples count as silence. Thread-safe.
class MelSpectrogram {
public:
    MelSpectrogram(const float* filters, int nMels, int windowSamples);

    void compute(const float* samples, long count, float* out);

    int frames() const { return frames_; }

private:
    const float* filters_;
    int nMels_;
    int windowSamples_;
    int frames_;
    std::vector<float> padded_;
    std::vector<float> power_; // [frames][201]
    std::vector<float> rowMaxima_;
};

} // namespace Platform::ML
