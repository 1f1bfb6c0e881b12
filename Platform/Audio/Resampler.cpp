#include "Platform/Audio/Resampler.h"

#include <soxr.h>

#include <cmath>
#include <string>

namespace Platform::Audio {

Resampler::Resampler(double inputRate, double outputRate, unsigned channelCount) : channelCount_(channelCount)
{
    if (!(inputRate > 0) || !(outputRate > 0) || !std::isfinite(inputRate) || !std::isfinite(outputRate) ||
        channelCount == 0)
        throw ResamplerError("Cannot convert " + std::to_string(channelCount) + " channels from " +
                             std::to_string(inputRate) + " Hz to " + std::to_string(outputRate) + " Hz");
    const soxr_io_spec_t io = soxr_io_spec(SOXR_FLOAT32_I, SOXR_FLOAT32_I);
    const soxr_quality_spec_t quality = soxr_quality_spec(SOXR_HQ, 0);
    soxr_error_t error = nullptr;
    handle_ = soxr_create(inputRate, outputRate, channelCount, &error, &io, &quality, nullptr);
    if (error)
        throw ResamplerError(std::string("Cannot make a sample-rate converter: ") + error);
}

Resampler::~Resampler()
{
    soxr_delete(handle_);
}

Resampler::Progress Resampler::process(std::span<const float> input, std::span<float> output)
{
    Progress progress;
    // A null input would mean the end of the stream to the converter.
    static const float nothing = 0;
    const float* data = input.empty() ? &nothing : input.data();
    if (soxr_error_t error = soxr_process(handle_, data, input.size() / channelCount_, &progress.consumed,
                                          output.data(), output.size() / channelCount_, &progress.produced))
        throw ResamplerError(std::string("Sample-rate conversion failed: ") + error);
    return progress;
}

std::size_t Resampler::drain(std::span<float> output)
{
    std::size_t produced = 0;
    if (soxr_error_t error =
            soxr_process(handle_, nullptr, 0, nullptr, output.data(), output.size() / channelCount_, &produced))
        throw ResamplerError(std::string("Sample-rate conversion failed: ") + error);
    return produced;
}

void Resampler::reset()
{
    soxr_clear(handle_);
}

} // namespace Platform::Audio
