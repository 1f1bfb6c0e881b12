#pragma once

#include "Platform/Audio/PCMBuffer.h"
#include "Platform/Audio/Resampler.h"

#include <memory>
#include <optional>
#include <span>
#include <vector>

namespace Platform::Audio {

// Converts buffers from one format to another: the sample rate, and the
// channels when the output has as many as the input or one (their mean).
class AudioConverter {
public:
    enum class Flow {
        // Each input is a whole piece of sound: its conversion is finished at
        // its end, and nothing carries over to the next.
        separatePieces,
        // The inputs follow one another in one stream, as captured buffers do:
        // the conversion carries on from one to the next, what it makes beyond
        // an output's capacity opens the next output, and the stream begins
        // with silence for as long as the conversion lags behind its input.
        continuingStream,
    };

    // Nothing for formats it cannot convert between, or when the sample-rate
    // converter cannot be set up.
    static std::optional<AudioConverter> make(const AudioFormat& inputFormat, const AudioFormat& outputFormat,
                                              Flow flow = Flow::separatePieces);

    const AudioFormat& inputFormat() const { return inputFormat_; }
    const AudioFormat& outputFormat() const { return outputFormat_; }

    // Converts the input's frames and fills the output to its capacity
    // exactly. Separate pieces: what the conversion makes beyond the capacity
    // is cut, what it makes short of it is padded with silence at the end. The
    // buffers must be in the converter's formats. Throws ResamplerError.
    void convert(const PCMBuffer& input, PCMBuffer& output);

private:
    AudioConverter(const AudioFormat& inputFormat, const AudioFormat& outputFormat, Flow flow);

    // A continuing stream's step: everything made goes into `pending_`, and
    // the output takes from its front.
    void convertContinuing(std::span<const float> source, PCMBuffer& output);

    // The input's frames in the output's channels, interleaved.
    void stage(const PCMBuffer& input);

    AudioFormat inputFormat_;
    AudioFormat outputFormat_;
    Flow flow_;
    std::unique_ptr<Resampler> resampler_; // none when the rates are equal
    std::vector<float> staged_;
    std::vector<float> converted_;
    std::vector<float> scratch_;
    std::vector<float> pending_; // a continuing stream's output not yet handed out, interleaved
    bool streamStarted_ = false;
    static constexpr std::size_t scratchFrames = 8192;
};

} // namespace Platform::Audio
