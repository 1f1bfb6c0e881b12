#pragma once

#include "Platform/ML/Whisper/WhisperModel.h"

#include <cstddef>
#include <filesystem>
#include <span>
#include <stdexcept>

namespace QelCore {

using Platform::ML::WhisperModel;

// A model file that cannot be used; what() names the problem.
class ModelFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Reads a ggml Whisper model file: hyper-parameters, mel filters, vocabulary
// and every tensor, 16-bit floats widened to 32 bits. Throws ModelFileError for
// a missing, truncated, oversized or inconsistent file.
WhisperModel loadGgmlWhisperModel(const std::filesystem::path& path);

// The same from the file's bytes in memory.
WhisperModel parseGgmlWhisperModel(std::span<const std::byte> bytes);

} // namespace QelCore
