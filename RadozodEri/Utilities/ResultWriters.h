#pragma once

#include "RadozodEri/Utilities/ResultWriting.h"

namespace RadozodEri {

// The whole result as indented JSON, in a ".json" file.
class WriteJSON : public ResultWriting {
public:
    using ResultWriting::ResultWriting;
    WriteResult write(const TranscriptionResult& result, const std::string& file,
                      const std::optional<std::map<std::string, std::any>>& options = std::nullopt) const override;
};

// Numbered subtitle cues in a ".srt" file: one per timed word, or one per
// segment without words.
class WriteSRT : public ResultWriting {
public:
    using ResultWriting::ResultWriting;
    WriteResult write(const TranscriptionResult& result, const std::string& file,
                      const std::optional<std::map<std::string, std::any>>& options = std::nullopt) const override;
};

// Web subtitle cues in a ".vtt" file after its "WEBVTT" line, chosen as for
// the numbered ones.
class WriteVTT : public ResultWriting {
public:
    using ResultWriting::ResultWriting;
    WriteResult write(const TranscriptionResult& result, const std::string& file,
                      const std::optional<std::map<std::string, std::any>>& options = std::nullopt) const override;
};

} // namespace RadozodEri
