#include "App/STT/ModelFileName.h"

#include "App/STT/STTEngineError.h"

#include <algorithm>

namespace QEL {

namespace {

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
        if (modelName.starts_with(whisperPrefix))
            return "ggml-" + modelName.substr(whisperPrefix.size()) + ".bin";
        if (modelName.starts_with("ggml-") && modelName.ends_with(".bin"))
            return modelName;
    }
    throw STTEngineError::transcriptionFailed("Unknown model name: " + modelName);
}

} // namespace QEL
