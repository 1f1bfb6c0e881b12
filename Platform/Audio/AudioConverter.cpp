#include "Platform/Audio/AudioConverter.h"

#include <algorithm>

namespace Platform::Audio {

std::optional<AudioConverter> AudioConverter::make(const AudioFormat& inputFormat, const AudioFormat& outputFormat,
                                                   Flow flow)
{
    const bool channelsFit = outputFormat.channelCount == inputFormat.channelCount || outputFormat.channelCount == 1;
    if (!channelsFit || !PCMBuffer::make(inputFormat, 0) || !PCMBuffer::make(outputFormat, 0))
        return std::nullopt;
    try {
        return AudioConverter(inputFormat, outputFormat, flow);
    } catch (const ResamplerError&) {
        return std::nullopt; // the sample-rate converter could not be set up
    }
}

AudioConverter::AudioConverter(const AudioFormat& inputFormat, const AudioFormat& outputFormat, Flow flow)
    : inputFormat_(inputFormat), outputFormat_(outputFormat), flow_(flow)
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
    const unsigned channels = outputFormat_.channelCount;
    const std::size_t capacity = output.frameCapacity();
    // One channel is its own interleaved form: it is read and written in place.
    std::span<const float> source = input.frames(0);
    if (channels > 1 || inputFormat_.channelCount > 1) {
        stage(input);
        source = staged_;
    }
    std::span<float> target = output.channel(0);
    if (channels > 1) {
        converted_.resize(capacity * channels);
        target = converted_;
    }
    if (resampler_ && flow_ == Flow::continuingStream) {
        convertContinuing(source, output);
        return;
    }
    std::size_t made = 0;
    if (!resampler_) {
        made = std::min(capacity, source.size() / channels);
        std::copy_n(source.begin(), made * channels, target.begin());
    } else {
        // What the conversion makes beyond the capacity goes here, and is cut.
        scratch_.resize(scratchFrames * channels);
        // Asked for a little at a time, the converter works in pieces that stay
        // in the processor's cache.
        const auto room = [&] {
            if (made == capacity)
                return std::span<float>(scratch_);
            return target.subspan(made * channels, std::min(capacity - made, scratchFrames) * channels);
        };
        const auto keep = [&](std::size_t produced) { made = std::min(capacity, made + produced); };
        while (!source.empty()) {
            const Resampler::Progress progress = resampler_->process(source, room());
            if (progress.consumed == 0 && progress.produced == 0)
                throw ResamplerError("The sample-rate converter took no input");
            source = source.subspan(progress.consumed * channels);
            keep(progress.produced);
        }
        while (const std::size_t produced = resampler_->drain(room()))
            keep(produced);
        resampler_->reset();
    }
    if (channels > 1) {
        for (unsigned channel = 0; channel < channels; ++channel) {
            std::span<float> planar = output.channel(channel);
            for (std::size_t frame = 0; frame < made; ++frame)
                planar[frame] = converted_[frame * channels + channel];
        }
    }
    for (unsigned channel = 0; channel < channels; ++channel)
        std::fill(output.channel(channel).begin() + static_cast<std::ptrdiff_t>(made), output.channel(channel).end(),
                  0.0f);
    output.setFrameLength(static_cast<std::uint32_t>(capacity));
}

void AudioConverter::convertContinuing(std::span<const float> source, PCMBuffer& output)
{
    const unsigned channels = outputFormat_.channelCount;
    scratch_.resize(scratchFrames * channels);
    while (!source.empty()) {
        const Resampler::Progress progress = resampler_->process(source, scratch_);
        if (progress.consumed == 0 && progress.produced == 0)
            throw ResamplerError("The sample-rate converter took no input");
        source = source.subspan(progress.consumed * channels);
        pending_.insert(pending_.end(), scratch_.begin(),
                        scratch_.begin() + static_cast<std::ptrdiff_t>(progress.produced * channels));
    }
    const std::size_t capacity = output.frameCapacity();
    // Only the stream's start can come up short: the conversion's delay
    // becomes silence in front of it.
    if (!streamStarted_ && pending_.size() < capacity * channels)
        pending_.insert(pending_.begin(), capacity * channels - pending_.size(), 0.0f);
    streamStarted_ = true;
    const std::size_t taken = std::min(capacity, pending_.size() / channels);
    for (unsigned channel = 0; channel < channels; ++channel) {
        std::span<float> planar = output.channel(channel);
        for (std::size_t frame = 0; frame < taken; ++frame)
            planar[frame] = pending_[frame * channels + channel];
        std::fill(planar.begin() + static_cast<std::ptrdiff_t>(taken), planar.end(), 0.0f);
    }
    pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(taken * channels));
    output.setFrameLength(static_cast<std::uint32_t>(capacity));
}

} // namespace Platform::Audio
