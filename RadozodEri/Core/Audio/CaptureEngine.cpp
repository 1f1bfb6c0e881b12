#include "RadozodEri/Core/Audio/CaptureEngine.h"

#include <algorithm>
#include <stdexcept>

namespace RadozodEri {

using namespace Platform::Audio;

CaptureEngine::CaptureEngine(const std::string& clientName) : connection_(clientName) {}

void CaptureEngine::selectSource(std::uint32_t index)
{
    source_ = recordingSource(connection_, index);
}

void CaptureEngine::selectDefaultSource()
{
    source_ = defaultRecordingSource(connection_);
}

AudioFormat CaptureEngine::sourceFormat() const
{
    if (!source_)
        return {};
    return {static_cast<double>(source_->sampleRate), static_cast<unsigned>(std::max(source_->channelCount, 0))};
}

void CaptureEngine::installTap(std::uint32_t bufferFrames, Tap tap)
{
    if (!source_)
        selectDefaultSource();
    buffer_ = PCMBuffer::make(sourceFormat(), bufferFrames);
    if (!buffer_ || bufferFrames == 0)
        throw std::invalid_argument("Cannot capture buffers of " + std::to_string(bufferFrames) + " frames");
    tap_ = std::move(tap);
    assembler_.emplace(static_cast<std::size_t>(bufferFrames) * sourceFormat().channelCount);
    stream_ = std::make_unique<RecordingStream>(
        connection_, *source_,
        RecordingStream::Callbacks{[this](std::span<const float> samples) { deliver(samples); }, {}});
}

void CaptureEngine::start()
{
    if (stream_)
        stream_->start();
}

void CaptureEngine::pause()
{
    if (stream_)
        stream_->pause();
}

void CaptureEngine::deliver(std::span<const float> interleaved)
{
    const unsigned channels = buffer_->format().channelCount;
    assembler_->append(interleaved, [&](const std::vector<float>& frames) {
        const std::size_t frameCount = frames.size() / channels;
        for (unsigned channel = 0; channel < channels; ++channel) {
            std::span<float> target = buffer_->channel(channel);
            for (std::size_t frame = 0; frame < frameCount; ++frame)
                target[frame] = frames[frame * channels + channel];
        }
        buffer_->setFrameLength(static_cast<std::uint32_t>(frameCount));
        tap_(*buffer_);
    });
}

} // namespace RadozodEri
