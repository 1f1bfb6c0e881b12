#pragma once

#include <cstddef>
#include <span>
#include <stdexcept>

struct soxr;

namespace Platform::Audio {

// The sample-rate converter failed; what() is its reason.
class ResamplerError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Converts a stream of interleaved float samples from one rate to another, a
// piece at a time: each call says how much of the input it took and how much
// output it made, and the stream's state carries from call to call.
class Resampler {
public:
    // Throws ResamplerError for rates that are not positive or no channels.
    Resampler(double inputRate, double outputRate, unsigned channelCount);
    ~Resampler();
    Resampler(const Resampler&) = delete;
    Resampler& operator=(const Resampler&) = delete;

    struct Progress {
        std::size_t consumed = 0; // frames of input taken
        std::size_t produced = 0; // frames of output written
    };

    // Takes input and writes what output is ready, as much as fits. Throws
    // ResamplerError.
    Progress process(std::span<const float> input, std::span<float> output);
    // After the last input: writes the output still held back, as much as
    // fits; 0 frames produced means nothing is left. Throws ResamplerError.
    std::size_t drain(std::span<float> output);
    // Forgets the stream, ready for a new one.
    void reset();

    unsigned channelCount() const { return channelCount_; }

private:
    soxr* handle_ = nullptr;
    unsigned channelCount_;
};

} // namespace Platform::Audio
