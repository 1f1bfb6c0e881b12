#pragma once

#include "Platform/CoreML/MLMultiArray.h"

#include <span>

namespace RadozodEri {

// Forbids tokens before the sampler picks one, by masking their scores in
// place. Applications may add their own; they run before the built-in ones.
class LogitsFiltering {
public:
    virtual ~LogitsFiltering() = default;

    // `logits`: 16-bit floats shaped [1, 1, V] (WhisperError
    // decodingLogitsFailed otherwise); `tokens`: the forced prompt followed
    // by the tokens sampled so far. Returns the same array.
    virtual Platform::CoreML::MLMultiArray filterLogits(Platform::CoreML::MLMultiArray logits,
                                                        std::span<const int> tokens) = 0;
};

} // namespace RadozodEri
