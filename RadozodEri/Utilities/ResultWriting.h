#pragma once

#include "RadozodEri/Core/TranscriptionResult.h"

#include <any>
#include <exception>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <variant>

namespace RadozodEri {

// The written file's URL ("file://" and its absolute path), or why nothing
// was written.
using WriteResult = std::variant<std::string, std::exception_ptr>;

// Stores a finished transcription as a file of one format in a folder.
class ResultWriting {
public:
    // Nothing is created or checked until a write.
    explicit ResultWriting(std::filesystem::path outputDir) : outputDir_(std::move(outputDir)) {}
    virtual ~ResultWriting() = default;

    const std::filesystem::path& outputDir() const { return outputDir_; }

    // Writes the result to `file` plus the format's extension in the folder;
    // never throws. `options` is for formats that need any.
    virtual WriteResult write(const TranscriptionResult& result, const std::string& file,
                              const std::optional<std::map<std::string, std::any>>& options = std::nullopt) const = 0;

    // "mm:ss.mmm", or "hh:mm:ss.mmm" when asked or past an hour, with the
    // given decimal marker; every part truncated, the milliseconds from the
    // single-precision fraction (2.3 s shows as 00:02.299).
    // std::invalid_argument for a time that is not finite or beyond
    // 64-bit seconds.
    virtual std::string formatTime(float seconds, bool alwaysIncludeHours, const std::string& decimalMarker) const;

    // A subtitle cue: "1\n00:00:00,000 --> 00:00:02,500\nHello\n\n".
    std::string formatSegment(int index, float start, float end, const std::string& text) const;
    // A web subtitle cue: "00:00.000 --> 00:02.500\nHello\n\n".
    std::string formatTiming(float start, float end, const std::string& text) const;

protected:
    // Calls `cue` with the start, end and text of each timed word, or of the
    // segment when it has no words, in order.
    static void forEachCue(const TranscriptionResult& result,
                           const std::function<void(float start, float end, const std::string& text)>& cue);
    // `content` written atomically to `file` plus `extension` in the folder.
    WriteResult writeFile(const std::string& file, const std::string& extension, const std::string& content) const;

private:
    std::filesystem::path outputDir_;
};

} // namespace RadozodEri
