#include "Platform/Audio/AudioFile.h"

#include <sndfile.h>

#include <algorithm>

namespace Platform::Audio {

AudioFile::AudioFile(const std::filesystem::path& path)
{
    SF_INFO info{};
    file_ = sf_open(path.c_str(), SFM_READ, &info);
    if (!file_)
        throw AudioFileError("Cannot open the sound file " + path.string() + ": " + sf_strerror(nullptr));
    if (info.channels <= 0 || info.samplerate <= 0) {
        sf_close(file_);
        throw AudioFileError("The sound file " + path.string() + " has no channels or no sample rate");
    }
    // Integer files scaled to [-1, 1), as float files are.
    sf_command(file_, SFC_SET_NORM_FLOAT, nullptr, SF_TRUE);
    processingFormat_ = {static_cast<double>(info.samplerate), static_cast<unsigned>(info.channels)};
    length_ = info.frames;
}

AudioFile::~AudioFile()
{
    sf_close(file_);
}

void AudioFile::setFramePosition(std::int64_t position)
{
    if (position < 0 || position > length_ || sf_seek(file_, position, SEEK_SET) < 0)
        throw AudioFileError("Cannot move to frame " + std::to_string(position) + " of a sound file of " +
                             std::to_string(length_) + " frames");
    framePosition_ = position;
}

void AudioFile::read(PCMBuffer& buffer, std::uint32_t frameCount)
{
    if (buffer.format() != processingFormat_)
        throw AudioFileError("The buffer's format is not the sound file's");
    const unsigned channels = processingFormat_.channelCount;
    const std::uint32_t wanted = std::min(frameCount, buffer.frameCapacity());
    interleaved_.resize(static_cast<std::size_t>(wanted) * channels);
    const sf_count_t read = sf_readf_float(file_, interleaved_.data(), wanted);
    if (sf_error(file_) != SF_ERR_NO_ERROR)
        throw AudioFileError(std::string("Cannot read the sound file: ") + sf_strerror(file_));
    for (unsigned channel = 0; channel < channels; ++channel) {
        std::span<float> target = buffer.channel(channel);
        for (sf_count_t frame = 0; frame < read; ++frame)
            target[static_cast<std::size_t>(frame)] =
                interleaved_[static_cast<std::size_t>(frame) * channels + channel];
    }
    buffer.setFrameLength(static_cast<std::uint32_t>(read));
    framePosition_ += read;
}

} // namespace Platform::Audio
