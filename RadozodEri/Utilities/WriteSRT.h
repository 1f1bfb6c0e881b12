#pragma once

#include "RadozodEri/Utilities/ResultWriting.h"

namespace RadozodEri {

// Numbered subtitle cues in a ".srt" file: one per timed word, or one per
// segment without words.
class WriteSRT : public ResultWriting {
public:
    // Nothing is created or checked until a write.
    explicit WriteSRT(std::filesystem::path outputDir) : outputDir_(std::move(outputDir)) {}

    const std::filesystem::path& outputDir() const override { return outputDir_; }
    WriteResult write(const TranscriptionResult& result, const std::string& file,
                      const std::optional<std::map<std::string, std::any>>& options = std::nullopt) const override;

private:
    std::filesystem::path outputDir_;
};

} // namespace RadozodEri
