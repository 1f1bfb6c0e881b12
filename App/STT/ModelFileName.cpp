#include "App/STT/ModelFileName.h"

#include "App/STT/STTEngineError.h"

#include <algorithm>

namespace QEL {

namespace {

// The file name and the suffixes the cache adds to it (a download's temporary
// name, a refused file's) must fit in one folder entry, 255 bytes on Linux.
constexpr size_t maxFileNameLength = 200;

bool isSafeName(const std::string& name)
{
    const bool safeCharacters = std::all_of(name.begin(), name.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' || c == '_' ||
               c == '-';
    });
    return safeCharacters && name.find("..") == std::string::npos;
}

} // namespace

std::string ggmlFileName(const std::string& modelName)
{
    const std::string whisperPrefix = "openai_whisper-";
    if (isSafeName(modelName)) {
        std::string fileName;
        if (modelName.starts_with(whisperPrefix))
            fileName = "ggml-" + modelName.substr(whisperPrefix.size()) + ".bin";
        else if (modelName.starts_with("ggml-") && modelName.ends_with(".bin"))
            fileName = modelName;
        if (!fileName.empty() && fileName.size() <= maxFileNameLength)
            return fileName;
    }
    throw STTEngineError::transcriptionFailed("Unknown model name: " + modelName);
}

} // namespace QEL
