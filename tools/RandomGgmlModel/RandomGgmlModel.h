#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <vector>

namespace QelTools {

// The shape of a random-weight Whisper model. Encoder and decoder share
// width, head count and layer count, as the published models do.
struct RandomModelOptions {
    uint64_t seed = 1;
    int vocab = 51865; // 51864: English-only; 51865 or 51866: multilingual
    int ftype = 0;     // 0: f32 weights, 1: f16 weights
    int width = 64;
    int heads = 2;
    int layers = 2;
    int mels = 80;
    int audioCtx = 1500;
    int textCtx = 448;
};

// The bytes of a ggml Whisper model file with weights drawn from the seed.
// The same options always give the same bytes. Stored vocabulary: the 256
// single bytes, then short lower-case words, most with a leading space.
std::vector<std::byte> randomGgmlModel(const RandomModelOptions& options);

// Writes that file; a crash leaves either no file or the complete one.
void writeRandomGgmlModel(const std::filesystem::path& path, const RandomModelOptions& options);

} // namespace QelTools
