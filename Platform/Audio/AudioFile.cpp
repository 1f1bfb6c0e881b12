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
    // Read in blocks, so the interleaved copy stays small beside the buffer.
    constexpr std::uint32_t blockFrames = 16384;
    interleaved_.resize(static_cast<std::size_t>(std::min(wanted, blockFrames)) * channels);
    std::uint32_t read = 0;
    while (read < wanted) {
        // One channel needs no sorting out: it goes straight into the buffer.
        float* into = channels == 1 ? buffer.channel(0).data() + read : interleaved_.data();
        const sf_count_t got = sf_readf_float(file_, into, std::min(wanted - read, blockFrames));
        if (sf_error(file_) != SF_ERR_NO_ERROR)
            throw AudioFileError(std::string("Cannot read the sound file: ") + sf_strerror(file_));
        if (got <= 0)
            break;
        for (unsigned channel = 0; channel < channels && channels > 1; ++channel) {
            float* target = buffer.channel(channel).data() + read;
            for (sf_count_t frame = 0; frame < got; ++frame)
                target[frame] = interleaved_[static_cast<std::size_t>(frame) * channels + channel];
        }
        read += static_cast<std::uint32_t>(got);
    }
    buffer.setFrameLength(static_cast<std::uint32_t>(read));
    framePosition_ += read;
}

} // namespace Platform::Audio
