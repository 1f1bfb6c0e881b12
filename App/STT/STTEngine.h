#pragma once

#include <optional>
#include <string>
#include <vector>

namespace QEL {

// A timed piece of recognised text, in seconds from the first transcribed sample.
struct TranscriptionSegment {
    std::string text;
    double startTime = 0;
    double endTime = 0;

    bool operator==(const TranscriptionSegment&) const = default;
};

// What an engine returns for one stretch of audio.
struct QELTranscriptionResult {
    std::string text;
    bool isPartial = false;
    std::vector<TranscriptionSegment> segments;
    std::optional<std::string> language;
    double processingTime = 0; // seconds of wall time spent in transcribe

    static const QELTranscriptionResult empty;

    bool operator==(const QELTranscriptionResult&) const = default;
};

inline const QELTranscriptionResult QELTranscriptionResult::empty{};

// The seam between the dictation pipeline and a speech engine. Both calls block
// and run on worker threads; an engine accepts overlapping transcribe calls on
// one object (or serialises them itself), each call's result belonging to it.
// Failures are thrown as exceptions whose what() describes them.
class STTEngine {
public:
    virtual ~STTEngine() = default;

    virtual void load(const std::string& modelName) = 0;
    virtual QELTranscriptionResult transcribe(const std::vector<float>& audioSamples) = 0;

    virtual bool isLoaded() const = 0;
    virtual std::string modelName() const = 0;
    // Releases the loaded model; later transcriptions fail until the next load.
    virtual void unload() = 0;
};

} // namespace QEL
