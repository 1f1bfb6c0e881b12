#pragma once

#include "Platform/Log/Log.h"

#include <filesystem>
#include <optional>
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
// is moved into place only when it is complete with status 200 and is a whole
// model file by the engine loader's own structural check, so a broken download
// never leaves a file that would pass for a model. Each use of the cache first
// removes the temporary files that killed processes left; loads of one model
// in this process download it once. Throws
// STTEngineError::transcriptionFailed("Model download HTTP error: …") for any
// other status, ("Model download error: …") for a file that is not a model,
// and the network or file system error otherwise.
std::filesystem::path ensureModelFile(const std::string& ggmlName, const Platform::Logger& logger);

// For a model file the engine refused: when the file itself is damaged, moves
// it to "<file>.damaged" (replacing an older one), so that the next load
// downloads it again, and returns where it went. Returns none when the file is
// sound (the engine refused something else, such as the language) or cannot
// be moved.
std::optional<std::filesystem::path> setAsideDamagedModelFile(const std::filesystem::path& modelFile);

} // namespace QEL
