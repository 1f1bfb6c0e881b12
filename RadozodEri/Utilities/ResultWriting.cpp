#include "RadozodEri/Utilities/ResultWriting.h"

#include "Platform/Files/AtomicWrite.h"
#include "Platform/Text/Format.h"

#include <cmath>
#include <cstdint>
#include <stdexcept>

namespace RadozodEri {

std::string ResultWriting::formatTime(float seconds, bool alwaysIncludeHours, const std::string& decimalMarker) const
{
    if (!std::isfinite(seconds) || std::fabs(seconds) >= 0x1p63f)
        throw std::invalid_argument("Cannot write the time " + std::to_string(seconds) + " as a timestamp");
    const auto hours = static_cast<std::int64_t>(seconds / 3600.0f);
    const auto minutes = static_cast<std::int64_t>(std::fmod(seconds, 3600.0f) / 60.0f);
    const auto wholeSeconds = static_cast<std::int64_t>(std::fmod(seconds, 60.0f));
    const auto milliseconds = static_cast<std::int64_t>((seconds - std::floor(seconds)) * 1000.0f);
    const auto two = [](std::int64_t value) { return Platform::formatted("%02lld", static_cast<long long>(value)); };
    const std::string fraction = decimalMarker + Platform::formatted("%03lld", static_cast<long long>(milliseconds));
    if (alwaysIncludeHours || hours > 0)
        return two(hours) + ":" + two(minutes) + ":" + two(wholeSeconds) + fraction;
    return two(minutes) + ":" + two(wholeSeconds) + fraction;
}

std::string ResultWriting::formatSegment(int index, float start, float end, const std::string& text) const
{
    return std::to_string(index) + "\n" + formatTime(start, true, ",") + " --> " + formatTime(end, true, ",") + "\n" +
           text + "\n\n";
}

std::string ResultWriting::formatTiming(float start, float end, const std::string& text) const
{
    return formatTime(start, false, ".") + " --> " + formatTime(end, false, ".") + "\n" + text + "\n\n";
}

void ResultWriting::forEachCue(const TranscriptionResult& result,
                               const std::function<void(float start, float end, const std::string& text)>& cue)
{
    for (const TranscriptionSegment& segment : result.segments()) {
        if (segment.words && !segment.words->empty()) {
            for (const WordTiming& word : *segment.words)
                cue(word.start, word.end, word.word);
        } else {
            cue(segment.start, segment.end, segment.text);
        }
    }
}

WriteResult ResultWriting::writeFile(const std::string& file, const std::string& extension,
                                     const std::string& content) const
{
    try {
        const std::filesystem::path target = std::filesystem::absolute(outputDir() / (file + extension));
        Platform::writeFileAtomically(target, content);
        return "file://" + target.string();
    } catch (...) {
        return std::current_exception();
    }
}

} // namespace RadozodEri
