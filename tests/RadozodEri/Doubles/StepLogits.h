#pragma once

// The scores of one decoder step as the decoder hands them on: 16-bit floats
// shaped [1, 1, V].

#include "Platform/CoreML/MLShapedArray.h"

#include <cmath>
#include <vector>

namespace TestSupport {

inline Platform::CoreML::MLMultiArray stepLogits(const std::vector<float>& scores)
{
    std::vector<Platform::CoreML::Float16> halves;
    for (float score : scores)
        halves.emplace_back(score);
    const auto count = static_cast<std::int64_t>(halves.size());
    return Platform::CoreML::MLMultiArray(
        Platform::CoreML::MLShapedArray<Platform::CoreML::Float16>({1, 1, count}, std::move(halves)));
}

// The ids whose scores are masked (negative infinity), ascending.
inline std::vector<int> maskedTokens(const Platform::CoreML::MLMultiArray& logits)
{
    std::vector<int> masked;
    const auto scores = logits.values<Platform::CoreML::Float16>();
    for (std::size_t token = 0; token < scores.size(); ++token)
        if (std::isinf(static_cast<float>(scores[token])) && static_cast<float>(scores[token]) < 0)
            masked.push_back(static_cast<int>(token));
    return masked;
}

} // namespace TestSupport
