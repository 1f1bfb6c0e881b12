#include "RadozodEri/Core/Audio/VADAudioChunker.h"

#include "Platform/Text/Format.h"
#include "RadozodEri/Core/Audio/EnergyVAD.h"
#include "RadozodEri/Utilities/WhisperError.h"
#include "RuntimeCore/Logging/Logging.h"

#include <algorithm>
#include <span>

namespace RadozodEri {

using RuntimeCore::Logging;

VADAudioChunker::VADAudioChunker(std::int64_t windowPadding, std::shared_ptr<const VoiceActivityDetector> vad)
    : windowPadding_(windowPadding), vad_(vad ? std::move(vad) : std::make_shared<EnergyVAD>())
{
}

std::int64_t VADAudioChunker::cutInWindow(const std::vector<float>& audioArray, std::int64_t seek,
                                          std::int64_t maxChunkLength) const
{
    const auto length = static_cast<std::int64_t>(audioArray.size());
    const std::int64_t windowEnd = std::min(seek + maxChunkLength, length);
    const std::int64_t middle = seek + (windowEnd - seek) / 2;
    const std::span<const float> secondHalf(audioArray.data() + middle, static_cast<std::size_t>(windowEnd - middle));
    const std::optional<IndexRange> silence = vad_->findLongestSilence(vad_->voiceActivity(secondHalf));
    if (!silence)
        return windowEnd;
    return middle + (silence->first + (silence->second - silence->first) / 2) * vad_->frameLengthSamples();
}

std::vector<AudioChunk> VADAudioChunker::chunkAll(const std::vector<float>& audioArray, std::int64_t maxChunkLength,
                                                  const std::optional<DecodingOptions>& decodeOptions)
{
    const auto length = static_cast<std::int64_t>(audioArray.size());
    if (length <= maxChunkLength)
        return {AudioChunk{0, audioArray}};
    const DecodingOptions options = decodeOptions.value_or(DecodingOptions{});
    std::vector<AudioChunk> chunks;
    for (const SeekClip& clip : options.prepareSeekClips(length)) {
        // A clip that runs past the recording ends with it.
        const std::int64_t end = std::min(clip.end, length);
        std::int64_t seek = clip.start;
        while (seek < end - windowPadding_) {
            if (seek < 0 || seek >= length)
                throw WhisperError::audioProcessingFailed("startIndex is outside the buffer size");
            std::int64_t cut = seek + maxChunkLength < end ? cutInWindow(audioArray, seek, maxChunkLength) : end;
            if (cut <= seek)
                break;
            // A cut this close to the clip's end would leave a tail that no
            // chunk takes, so the chunk runs on to the end.
            if (cut < end && cut >= end - windowPadding_)
                cut = end;
            Logging::debug("Found chunk from " +
                           Platform::formatted("%.2f", static_cast<double>(static_cast<float>(seek) / 16000.0f)) +
                           " to " +
                           Platform::formatted("%.2f", static_cast<double>(static_cast<float>(cut) / 16000.0f)));
            chunks.push_back({seek, std::vector<float>(audioArray.begin() + seek, audioArray.begin() + cut)});
            seek = cut;
        }
    }
    return chunks;
}

} // namespace RadozodEri
