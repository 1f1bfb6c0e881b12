#pragma once

#include "RadozodEri/Core/TranscriptionSegment.h"
#include "RadozodEri/Core/TranscriptionTimings.h"
#include "RuntimeCore/PropertyLock.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace RadozodEri {

// The result of transcribing one audio input. Shared between concurrent tasks
// (batches, re-basing of chunk results), so each field sits behind its own
// lock, held only while a value is copied in or out; a reader of two fields
// may see them from different updates. Held through shared pointers.
class TranscriptionResult {
public:
    TranscriptionResult(std::string text, std::vector<TranscriptionSegment> segments, std::string language,
                        TranscriptionTimings timings, std::optional<float> seekTime = std::nullopt);
    TranscriptionResult(const TranscriptionResult&) = delete;
    TranscriptionResult& operator=(const TranscriptionResult&) = delete;
    TranscriptionResult(TranscriptionResult&&) = default;

    std::string text() const { return text_.wrappedValue(); }
    void setText(std::string text) { text_.setWrappedValue(std::move(text)); }
    std::vector<TranscriptionSegment> segments() const { return segments_.wrappedValue(); }
    void setSegments(std::vector<TranscriptionSegment> segments) { segments_.setWrappedValue(std::move(segments)); }
    std::string language() const { return language_.wrappedValue(); }
    void setLanguage(std::string language) { language_.setWrappedValue(std::move(language)); }
    TranscriptionTimings timings() const { return timings_.wrappedValue(); }
    void setTimings(TranscriptionTimings timings) { timings_.setWrappedValue(std::move(timings)); }
    // Start of the covered audio within the whole recording, in seconds; set
    // when a chunk's results are re-based.
    std::optional<float> seekTime() const { return seekTime_.wrappedValue(); }
    void setSeekTime(std::optional<float> seekTime) { seekTime_.setWrappedValue(seekTime); }

    // In-place changes (appending segments, adding to timings), made under the
    // field's lock so that concurrent changes never overwrite one another.
    template <class Change>
    void modifySegments(Change&& change)
    {
        segments_.modify(std::forward<Change>(change));
    }
    template <class Change>
    void modifyTimings(Change&& change)
    {
        timings_.modify(std::forward<Change>(change));
    }

    // The words of every segment that has them, in segment order.
    std::vector<WordTiming> allWords() const;

    // One debug line per segment: "[Segment i] [start --> end] text", with i
    // the segment's position and the times to two decimals.
    void logSegments() const;
    // The timings report at info level.
    void logTimings() const;

    // "seekTime" is always written, null when absent, and required.
    rapidjson::Value toJSON(Platform::JSON::Allocator& allocator) const;
    static TranscriptionResult fromJSON(const rapidjson::Value& json);

private:
    RuntimeCore::PropertyLock<std::string> text_;
    RuntimeCore::PropertyLock<std::vector<TranscriptionSegment>> segments_;
    RuntimeCore::PropertyLock<std::string> language_;
    RuntimeCore::PropertyLock<TranscriptionTimings> timings_;
    RuntimeCore::PropertyLock<std::optional<float>> seekTime_;
};

// The plain-value twin of TranscriptionResult, without locks. Its JSON writes
// "seekTime" only when present and reads it as absent when missing.
struct TranscriptionResultStruct {
    std::string text {};
    std::vector<TranscriptionSegment> segments {};
    std::string language {};
    TranscriptionTimings timings {};
    std::optional<float> seekTime {};

    rapidjson::Value toJSON(Platform::JSON::Allocator& allocator) const;
    static TranscriptionResultStruct fromJSON(const rapidjson::Value& json);

    bool operator==(const TranscriptionResultStruct&) const = default;
};

} // namespace RadozodEri
