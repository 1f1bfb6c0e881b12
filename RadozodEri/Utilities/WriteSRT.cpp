#include "RadozodEri/Utilities/ResultWriters.h"

namespace RadozodEri {

WriteResult WriteSRT::write(const TranscriptionResult& result, const std::string& file,
                            const std::optional<std::map<std::string, std::any>>&) const
{
    std::string content;
    int index = 1;
    try {
        forEachCue(result, [&](float start, float end, const std::string& text) {
            content += formatSegment(index++, start, end, text);
        });
    } catch (...) {
        return std::current_exception();
    }
    return writeFile(file, ".srt", content);
}

} // namespace RadozodEri
