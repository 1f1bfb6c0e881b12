#include "RadozodEri/Utilities/ResultWriters.h"

namespace RadozodEri {

WriteResult WriteVTT::write(const TranscriptionResult& result, const std::string& file,
                            const std::optional<std::map<std::string, std::any>>&) const
{
    std::string content = "WEBVTT\n\n";
    try {
        forEachCue(result,
                   [&](float start, float end, const std::string& text) { content += formatTiming(start, end, text); });
    } catch (...) {
        return std::current_exception();
    }
    return writeFile(file, ".vtt", content);
}

} // namespace RadozodEri
