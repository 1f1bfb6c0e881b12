#include "RadozodEri/Core/Audio/AudioChunking.h"

#include "RuntimeCore/Logging/Logging.h"

namespace RadozodEri {

using RuntimeCore::Logging;

namespace {

std::string describe(const std::exception_ptr& error)
{
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& caught) {
        return caught.what();
    } catch (...) {
        return "unknown error";
    }
}

} // namespace

std::vector<std::shared_ptr<TranscriptionResult>>
AudioChunking::updateSeekOffsetsForResults(const std::vector<TranscriptionOutcome>& chunkedResults,
                                           const std::vector<AudioChunk>& audioChunks)
{
    std::vector<std::shared_ptr<TranscriptionResult>> updated;
    for (std::size_t index = 0; index < chunkedResults.size(); ++index) {
        if (const auto* error = std::get_if<std::exception_ptr>(&chunkedResults[index])) {
            Logging::debug("Error transcribing chunk " + std::to_string(index) + ": " + describe(*error));
            continue;
        }
        if (index >= audioChunks.size()) {
            Logging::error("No audio chunk for the results of chunk " + std::to_string(index));
            continue;
        }
        // The sample offset is the chunk's own: seconds in single precision
        // would lose samples beyond 2^24.
        const std::int64_t seekSamples = audioChunks[index].seekOffsetIndex;
        const float seekTime = static_cast<float>(seekSamples) / 16000.0f;
        for (const auto& result : std::get<0>(chunkedResults[index])) {
            std::vector<TranscriptionSegment> segments = result->segments();
            for (TranscriptionSegment& segment : segments) {
                segment.seek += seekSamples;
                segment.start += seekTime;
                segment.end += seekTime;
                if (segment.words)
                    for (WordTiming& word : *segment.words) {
                        word.start += seekTime;
                        word.end += seekTime;
                    }
            }
            result->setSeekTime(seekTime);
            result->setSegments(std::move(segments));
            updated.push_back(result);
        }
    }
    return updated;
}

} // namespace RadozodEri
