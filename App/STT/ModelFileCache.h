#pragma once

#include "Platform/Log/Log.h"

#include <filesystem>
#include <string>

namespace QEL {

// Neutral placeholder for the address under which the outside engine's model
// files are published; the environment variable QEL_MODEL_BASE_URL overrides it.
inline constexpr const char* defaultModelBaseURL = "https://models.example.invalid/ggml/resolve/main/";

// The download base in effect, always ending in '/'.
std::string modelBaseURL();

// The folder that holds the outside engine's model files, inside the user's
// application-support folder; created when missing.
std::filesystem::path modelCacheFolder();

// Returns the cached model file of that name, downloading it first when it is
// missing or empty. A download goes to a temporary file in the cache folder and
// is renamed into place only when it is complete with status 200, so a broken
// download never leaves a file that would pass for a model. Throws
// STTEngineError::transcriptionFailed("Model download HTTP error: …") for any
// other status, and the network or file system error otherwise.
std::filesystem::path ensureModelFile(const std::string& ggmlName, const Platform::Logger& logger);

} // namespace QEL
