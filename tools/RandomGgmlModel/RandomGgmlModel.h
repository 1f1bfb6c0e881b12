#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
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
    // The stored vocabulary, one piece per id from 0: exactly as many as the
    // model has ordinary tokens (ordinaryTokenCount). Empty: random words.
    std::vector<std::string> pieces = {};
    // Half the range of the token embedding's values. The logits are products
    // with it, so a wider spread makes the greedy choice more certain.
    float tokenEmbeddingSpread = 0.1f;
};

// The ordinary tokens of a vocabulary size: the ids below end of text.
int ordinaryTokenCount(int vocab);

// One tensor of a Whisper model: extents innermost first (a [out, in] matrix
// is listed as in, out), whether it is stored in the model's weight type
// (the others are always 32-bit floats), and the spread and centre of its
// random values, which keep activations of order one.
struct WhisperTensor {
    std::string name;
    std::vector<int32_t> extents;
    bool followsFtype = false;
    float spread = 0;
    float centre = 0;
};

// Every tensor of a model of these options, in the order files store them.
std::vector<WhisperTensor> whisperTensors(const RandomModelOptions& options);

// The bytes of a ggml Whisper model file with weights drawn from the seed.
// The same options always give the same bytes. Stored vocabulary: the given
// pieces, or else the 256 single bytes, then short lower-case words, most with
// a leading space. Throws std::invalid_argument for options that make no model.
std::vector<std::byte> randomGgmlModel(const RandomModelOptions& options);

// Writes that file; a crash leaves either no file or the complete one.
void writeRandomGgmlModel(const std::filesystem::path& path, const RandomModelOptions& options);

} // namespace QelTools
