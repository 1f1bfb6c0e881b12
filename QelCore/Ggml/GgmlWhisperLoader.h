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
// and every tensor, matrices in the precision the file stores them in (the
// products read 16-bit floats as they are) and vectors as 32-bit floats. The
// model then takes about the file's size in memory. Throws ModelFileError for
// a missing, truncated, oversized or inconsistent file, for anything but a
// regular file (a FIFO or device is never waited on), and for a file that is
// cut short or rewritten while it is read.
WhisperModel loadGgmlWhisperModel(const std::filesystem::path& path);

// The same from the file's bytes in memory.
WhisperModel parseGgmlWhisperModel(std::span<const std::byte> bytes);

// Throws the ModelFileError that loading the file would, checking everything
// but the weights' values, which it skips without reading: a quick test that
// a file is a whole model file.
void checkGgmlWhisperModelFile(const std::filesystem::path& path);

} // namespace QelCore
