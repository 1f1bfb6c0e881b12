#pragma once

#include "Platform/ML/Whisper/WhisperModel.h"

#include <cstdint>
#include <string>
#include <vector>

namespace Platform::ML {

// One tensor of a Whisper model as model files name and shape it, and the
// field of a WhisperModel that holds it.
struct WhisperTensor {
    std::string name;
    // Extents, outermost first: a matrix's rows, then what makes up a row
    // (a kernel-3 convolution's weights are [out][in][3]).
    std::vector<std::int64_t> shape;
    // Exactly one is set. Matrices, the weights of products, may be stored as
    // floats or halves; vectors (biases, norms, positional embeddings) are
    // always floats.
    WeightMatrix* matrix = nullptr;
    const float** vector = nullptr;

    std::int64_t rows() const { return shape.front(); }
    std::int64_t columns() const;
};

// Every tensor of a model of model.hparams, in the order model files store
// them (the encoder's, then the decoder's), pointing at the model's fields;
// the block lists are sized to the layer counts.
std::vector<WhisperTensor> whisperModelTensors(WhisperModel& model);

} // namespace Platform::ML
