#include "Platform/Audio/AudioConverter.h"

#include <algorithm>

namespace Platform::Audio {

std::optional<AudioConverter> AudioConverter::make(const AudioFormat& inputFormat, const AudioFormat& outputFormat)
{
    const bool channelsFit = outputFormat.channelCount == inputFormat.channelCount || outputFormat.channelCount == 1;
    if (!channelsFit || !PCMBuffer::make(inputFormat, 0) || !PCMBuffer::make(outputFormat, 0))
        return std::nullopt;
    return AudioConverter(inputFormat, outputFormat);
}

AudioConverter::AudioConverter(const AudioFormat& inputFormat, const AudioFormat& outputFormat)
    : inputFormat_(inputFormat), outputFormat_(outputFormat)
{
    if (inputFormat.sampleRate != outputFormat.sampleRate)
        resampler_ =
            std::make_unique<Resampler>(inputFormat.sampleRate, outputFormat.sampleRate, outputFormat.channelCount);
}

void AudioConverter::stage(const PCMBuffer& input)
{
    const unsigned channels = outputFormat_.channelCount;
    const std::size_t frames = input.frameLength();
    staged_.assign(frames * channels, 0.0f);
    if (channels == inputFormat_.channelCount) {
        for (unsigned channel = 0; channel < channels; ++channel) {
            std::span<const float> source = input.frames(channel);
            for (std::size_t frame = 0; frame < frames; ++frame)
                staged_[frame * channels + channel] = source[frame];
        }
        return;
    }
    const float share = 1.0f / static_cast<float>(inputFormat_.channelCount);
    for (unsigned channel = 0; channel < inputFormat_.channelCount; ++channel) {
        std::span<const float> source = input.frames(channel);
        for (std::size_t frame = 0; frame < frames; ++frame)
            staged_[frame] += source[frame] * share;
    }
}

void AudioConverter::convert(const PCMBuffer& input, PCMBuffer& output)
{
    if (input.format() != inputFormat_ || output.format() != outputFormat_)
        throw ResamplerError("The buffers are not in the converter's formats");
    stage(input);
    const unsigned channels = outputFormat_.channelCount;
    const std::size_t capacity = output.frameCapacity();
    std::size_t made = 0;
    converted_.resize(capacity * channels);
    // Keeps what fits into the capacity; the rest is cut.
    const auto keep = [&](std::span<const float> piece) {
        const std::size_t taken = std::min(piece.size(), (capacity - made) * channels);
        std::copy_n(piece.begin(), taken, converted_.begin() + static_cast<std::ptrdiff_t>(made * channels));
        made += taken / channels;
    };
    if (!resampler_) {
        keep(staged_);
    } else {
        scratch_.resize(scratchFrames * channels);
        std::span<const float> rest(staged_);
        while (!rest.empty()) {
            const Resampler::Progress progress = resampler_->process(rest, scratch_);
            if (progress.consumed == 0 && progress.produced == 0)
                throw ResamplerError("The sample-rate converter took no input");
            rest = rest.subspan(progress.consumed * channels);
            keep(std::span<const float>(scratch_).first(progress.produced * channels));
        }
        while (const std::size_t produced = resampler_->drain(scratch_))
            keep(std::span<const float>(scratch_).first(produced * channels));
        resampler_->reset();
    }
    for (unsigned channel = 0; channel < channels; ++channel) {
        std::span<float> target = output.channel(channel);
        for (std::size_t frame = 0; frame < made; ++frame)
            target[frame] = converted_[frame * channels + channel];
        std::fill(target.begin() + static_cast<std::ptrdiff_t>(made), target.end(), 0.0f);
    }
    output.setFrameLength(static_cast<std::uint32_t>(capacity));
}

} // namespace Platform::Audio
