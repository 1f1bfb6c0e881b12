#pragma once

#include "Platform/Audio/PCMBuffer.h"

#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

struct sf_private_tag;

namespace Platform::Audio {

// A sound file that cannot be opened or read, with the reader's reason.
class AudioFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A sound file open for reading, decoded to 32-bit float samples with one
// array per channel. Reads WAV, AIFF, FLAC, Ogg Vorbis, Opus and MP3, as the
// system's reader offers them; not AAC.
class AudioFile {
public:
    // Throws AudioFileError.
    explicit AudioFile(const std::filesystem::path& path);
    ~AudioFile();
    AudioFile(const AudioFile&) = delete;
    AudioFile& operator=(const AudioFile&) = delete;

    double sampleRate() const { return processingFormat_.sampleRate; }
    unsigned channelCount() const { return processingFormat_.channelCount; }
    // The format buffers for read() have: the file's rate and channels.
    const AudioFormat& processingFormat() const { return processingFormat_; }
    // Frames in the file.
    std::int64_t length() const { return length_; }

    std::int64_t framePosition() const { return framePosition_; }
    // Throws AudioFileError for a position outside the file.
    void setFramePosition(std::int64_t position);

    // Reads up to `frameCount` frames (no more than the buffer holds) from the
    // position on into the buffer, sets its frame length to the frames read
    // (fewer at the file's end) and advances the position. The buffer must be
    // in the processing format. Throws AudioFileError.
    void read(PCMBuffer& buffer, std::uint32_t frameCount);

private:
    sf_private_tag* file_ = nullptr;
    AudioFormat processingFormat_;
    std::int64_t length_ = 0;
    std::int64_t framePosition_ = 0;
    std::vector<float> interleaved_; // reused between reads
};

} // namespace Platform::Audio
