#pragma once

#include "Platform/Audio/PCMBuffer.h"
#include "Platform/Audio/Resampler.h"

#include <memory>
#include <optional>
#include <vector>

namespace Platform::Audio {

// Converts buffers from one format to another: the sample rate, and the
// channels when the output has as many as the input or one (their mean).
class AudioConverter {
public:
    // Nothing for formats it cannot convert between.
    static std::optional<AudioConverter> make(const AudioFormat& inputFormat, const AudioFormat& outputFormat);

    const AudioFormat& inputFormat() const { return inputFormat_; }
    const AudioFormat& outputFormat() const { return outputFormat_; }

    // Converts the input's frames as one whole piece of sound and fills the
    // output to its capacity exactly: what the conversion makes beyond it is
    // cut, what it makes short of it is padded with silence. Nothing carries
    // over to the next call. The buffers must be in the converter's formats.
    // Throws ResamplerError.
    void convert(const PCMBuffer& input, PCMBuffer& output);

private:
    AudioConverter(const AudioFormat& inputFormat, const AudioFormat& outputFormat);

    // The input's frames in the output's channels, interleaved.
    void stage(const PCMBuffer& input);

    AudioFormat inputFormat_;
    AudioFormat outputFormat_;
    std::unique_ptr<Resampler> resampler_; // none when the rates are equal
    std::vector<float> staged_;
    std::vector<float> converted_;
    std::vector<float> scratch_;
    static constexpr std::size_t scratchFrames = 8192;
};

} // namespace Platform::Audio
