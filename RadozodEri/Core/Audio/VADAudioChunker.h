#pragma once

#include "RadozodEri/Core/Audio/AudioChunking.h"
#include "RadozodEri/Core/Audio/VoiceActivityDetector.h"

#include <memory>

namespace RadozodEri {

// Cuts long audio in the middle of the longest silence of each window's
// second half, as its voice-activity detector finds it.
class VADAudioChunker : public AudioChunking {
public:
    // No detector: the default energy detector.
    explicit VADAudioChunker(std::int64_t windowPadding, std::shared_ptr<const VoiceActivityDetector> vad = nullptr);

    std::vector<AudioChunk> chunkAll(const std::vector<float>& audioArray, std::int64_t maxChunkLength,
                                     const std::optional<DecodingOptions>& decodeOptions) override;

private:
    // Where the window from `seek` is cut: the start of the middle frame of
    // its second half's longest silence, or the window's end.
    std::int64_t cutInWindow(const std::vector<float>& audioArray, std::int64_t seek,
                             std::int64_t maxChunkLength) const;

    // How close to a clip's end a chunk may start.
    std::int64_t windowPadding_;
    std::shared_ptr<const VoiceActivityDetector> vad_;
};

} // namespace RadozodEri
