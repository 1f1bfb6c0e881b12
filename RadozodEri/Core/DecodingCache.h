#pragma once

#include "Platform/CoreML/MLMultiArray.h"

#include <optional>

namespace RadozodEri {

// The key cache, value cache and alignment weights that one model call
// produced; each may be absent.
struct DecodingCache {
    std::optional<Platform::CoreML::MLMultiArray> keyCache;
    std::optional<Platform::CoreML::MLMultiArray> valueCache;
    std::optional<Platform::CoreML::MLMultiArray> alignmentWeights;
};

} // namespace RadozodEri
