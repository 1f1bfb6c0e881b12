// Converting buffers: resampling, mixing channels, copying out samples.

#include "RadozodEri/Core/Audio/AudioProcessor.h"

#include "Platform/Text/Format.h"
#include "Platform/Vector/MagnitudeRange.h"
#include "RadozodEri/Core/Audio/PCMBufferAppending.h"
#include "RadozodEri/Utilities/WhisperError.h"
#include "RuntimeCore/Logging/Logging.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace RadozodEri {

using Platform::Audio::AudioConverter;
using Platform::Audio::AudioFile;
using Platform::Audio::AudioFileError;
using Platform::Audio::AudioFormat;
using Platform::Audio::PCMBuffer;
using RuntimeCore::Logging;
using RuntimeCore::textualForm;

namespace {

// The smallest peak a channel sum is rescaled by, so silence stays silence.
constexpr float mixingFloor = 0.0001f;

} // namespace

std::optional<PCMBuffer> AudioProcessor::resampleAudio(AudioFile& fromFile, double toSampleRate, unsigned channelCount,
                                                       const ChannelMode& channelMode,
                                                       std::optional<std::int64_t> frameCount,
                                                       std::int64_t maxReadFrameSize)
{
    const double inputRate = fromFile.sampleRate();
    const std::int64_t start = fromFile.framePosition();
    const std::int64_t total = frameCount.value_or(fromFile.length());
    if (total < 0 || total >= frameCountLimit) {
        Logging::error("Cannot resample " + std::to_string(total) + " frames");
        return std::nullopt;
    }
    const std::int64_t endPosition = std::min(start + total, fromFile.length() + 1);
    const AudioFormat outputFormat{toSampleRate, channelCount};
    if (!PCMBuffer::make(outputFormat, 0)) {
        Logging::error("Failed to create output audio format");
        return std::nullopt;
    }
    Logging::debug("Resampling " + Platform::formatted("%.2f", static_cast<double>(total) / inputRate) +
                   " seconds of audio");
    const double capacity = std::trunc(static_cast<double>(total) / inputRate * toSampleRate);
    std::optional<PCMBuffer> output;
    if (capacity < static_cast<double>(frameCountLimit))
        output = PCMBuffer::make(outputFormat, static_cast<std::uint32_t>(capacity));
    if (!output) {
        Logging::error("Failed to create output buffer");
        return std::nullopt;
    }
    std::optional<PCMBuffer> readBuffer;
    if (maxReadFrameSize > 0 && maxReadFrameSize < frameCountLimit)
        readBuffer = PCMBuffer::make(fromFile.processingFormat(), static_cast<std::uint32_t>(maxReadFrameSize));
    if (!readBuffer) {
        Logging::error("Failed to create read buffer of " + std::to_string(maxReadFrameSize) + " frames");
        return std::nullopt;
    }
    if (start >= endPosition)
        return output;
    std::int64_t position = 0;
    std::int64_t step = 0;
    do {
        position = fromFile.framePosition();
        step = std::min(maxReadFrameSize, endPosition - position);
        Logging::debug("Resampling " + Platform::formatted("%.2f", static_cast<double>(position) / inputRate) + "s - " +
                       Platform::formatted("%.2f", static_cast<double>(position + step) / inputRate) + "s");
        try {
            fromFile.read(*readBuffer, static_cast<std::uint32_t>(step));
        } catch (const AudioFileError& error) {
            Logging::error(std::string("Error reading audio file: ") + error.what());
            return std::nullopt;
        }
        // A file that ends before its stated length has nothing more to give.
        if (readBuffer->frameLength() == 0)
            break;
        std::optional<PCMBuffer> mono = convertToMono(*readBuffer, channelMode);
        if (!mono) {
            Logging::error("Failed to process audio channels");
            return std::nullopt;
        }
        std::optional<PCMBuffer> converted = resampleAudio(*mono, outputFormat.sampleRate, outputFormat.channelCount);
        if (!converted) {
            Logging::error("Failed to resample audio chunk");
            return std::nullopt;
        }
        if (!appendContents(*output, *converted, 0, converted->frameLength())) {
            Logging::error("Failed to append audio chunk");
            return std::nullopt;
        }
    } while (position + step < endPosition);
    return output;
}

std::optional<PCMBuffer> AudioProcessor::resampleAudio(const PCMBuffer& fromBuffer, double toSampleRate,
                                                       unsigned channelCount)
{
    const AudioFormat outputFormat{toSampleRate, channelCount};
    if (!PCMBuffer::make(outputFormat, 0)) {
        Logging::error("Failed to create output audio format");
        return std::nullopt;
    }
    std::optional<AudioConverter> converter = AudioConverter::make(fromBuffer.format(), outputFormat);
    if (!converter) {
        Logging::error("Failed to create audio converter");
        return std::nullopt;
    }
    try {
        return resampleBuffer(fromBuffer, *converter);
    } catch (const WhisperError& error) {
        Logging::error(std::string("Failed to resample buffer: ") + error.what());
        return std::nullopt;
    }
}

PCMBuffer AudioProcessor::resampleBuffer(const PCMBuffer& buffer, AudioConverter& converter)
{
    double capacity = converter.outputFormat().sampleRate * static_cast<double>(buffer.frameLength()) /
                      converter.inputFormat().sampleRate;
    if (capacity != std::trunc(capacity)) {
        const double rounded = std::max(1.0, std::nearbyint(capacity)); // ties to even
        Logging::debug("Rounding buffer frame capacity from " + textualForm(capacity) + " to " + textualForm(rounded) +
                       " to better fit new sample rate");
        capacity = rounded;
    }
    std::optional<PCMBuffer> output;
    if (capacity < static_cast<double>(frameCountLimit))
        output = PCMBuffer::make(converter.outputFormat(), static_cast<std::uint32_t>(capacity));
    if (!output)
        throw WhisperError::audioProcessingFailed("Failed to create converted buffer");
    try {
        converter.convert(buffer, *output);
    } catch (const Platform::Audio::ResamplerError& error) {
        throw WhisperError::audioProcessingFailed(std::string("Error converting audio: ") + error.what());
    }
    return std::move(*output);
}

std::optional<PCMBuffer> AudioProcessor::convertToMono(const PCMBuffer& buffer, const ChannelMode& mode)
{
    const unsigned channelCount = buffer.format().channelCount;
    if (channelCount < 2)
        return buffer;
    std::optional<PCMBuffer> mono = PCMBuffer::make({buffer.format().sampleRate, 1}, buffer.frameCapacity());
    if (!mono) {
        Logging::error("Failed to create mono buffer.");
        return std::nullopt;
    }
    mono->setFrameLength(buffer.frameLength());
    std::span<float> target = mono->channel(0).first(buffer.frameLength());
    const auto copyChannel = [&](int channel) {
        std::span<const float> source = buffer.frames(static_cast<unsigned>(channel));
        std::copy(source.begin(), source.end(), target.begin());
    };
    if (const auto* specific = std::get_if<ChannelMode::SpecificChannel>(&mode.value)) {
        const bool exists = specific->channel >= 0 && static_cast<unsigned>(specific->channel) < channelCount;
        copyChannel(exists ? specific->channel : 0);
        return mono;
    }
    std::vector<int> selected;
    const auto& listed = std::get<ChannelMode::SumChannels>(mode.value).channels;
    if (!listed || listed->empty()) {
        for (unsigned channel = 0; channel < channelCount; ++channel)
            selected.push_back(static_cast<int>(channel));
    } else {
        std::copy_if(listed->begin(), listed->end(), std::back_inserter(selected),
                     [&](int channel) { return channel >= 0 && static_cast<unsigned>(channel) < channelCount; });
    }
    if (selected.empty()) {
        copyChannel(0);
        Logging::debug("No valid channel indices provided, defaulting to first channel");
        return mono;
    }
    float peak = 0;
    for (int channel : selected) {
        std::span<const float> source = buffer.frames(static_cast<unsigned>(channel));
        peak = std::max(peak, Platform::magnitudeRange(source).largest);
        std::transform(source.begin(), source.end(), target.begin(), target.begin(), std::plus<>());
    }
    const float scale = peak / std::max(Platform::magnitudeRange(target).largest, mixingFloor);
    for (float& sample : target)
        sample *= scale;
    return mono;
}

std::vector<float> AudioProcessor::convertBufferToArray(PCMBuffer& buffer, int chunkSize)
{
    std::vector<float> samples;
    if (chunkSize < 1) {
        Logging::error("Chunk size must be positive: " + std::to_string(chunkSize));
        return samples;
    }
    std::span<float> channel = buffer.channel(0).first(buffer.frameLength());
    samples.reserve(channel.size());
    for (std::size_t offset = 0; offset < channel.size(); offset += static_cast<std::size_t>(chunkSize)) {
        std::span<float> chunk = channel.subspan(offset, std::min<std::size_t>(chunkSize, channel.size() - offset));
        samples.insert(samples.end(), chunk.begin(), chunk.end());
        std::fill(chunk.begin(), chunk.end(), 0.0f);
    }
    return samples;
}

} // namespace RadozodEri
