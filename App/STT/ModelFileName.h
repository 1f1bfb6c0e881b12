#pragma once

#include <string>

namespace QEL {

// Maps an application model name ("openai_whisper-small.en") to the outside
// engine's model file name ("ggml-small.en.bin"); a name already in file form
// ("ggml-….bin") is kept. The name becomes part of a path and an address, so
// only letters, digits, '.', '_' and '-' are accepted, never "..", and file
// names of at most 200 bytes.
// Throws STTEngineError::transcriptionFailed("Unknown model name: " + name).
std::string ggmlFileName(const std::string& modelName);

} // namespace QEL
