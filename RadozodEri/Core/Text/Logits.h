#pragma once

#include "Platform/CoreML/MLMultiArray.h"

#include <cstdint>
#include <span>

// The scores of one decoder step, one per token id, as filters and samplers
// read and mask them.
namespace RadozodEri {

using Platform::CoreML::Float16;
using Platform::CoreML::MLMultiArray;

// Negative infinity: a token with this score is never sampled.
inline constexpr Float16 maskedLogit = Float16::fromBits(0xfc00);

// The scores of a [1, 1, V] array of 16-bit floats (V ≥ 1), index = token id.
// WhisperError decodingLogitsFailed for any other shape or element type.
std::span<Float16> logitScores(MLMultiArray& logits);
std::span<const Float16> logitScores(const MLMultiArray& logits);

// Masks the ids of [begin, end) that are token ids of the scores.
void maskTokens(std::span<Float16> scores, std::int64_t begin, std::int64_t end);

// Masks one id when it is a token id of the scores: an id outside the
// vocabulary can never be sampled anyway.
inline void maskToken(std::span<Float16> scores, std::int64_t token)
{
    maskTokens(scores, token, token + 1);
}

} // namespace RadozodEri
