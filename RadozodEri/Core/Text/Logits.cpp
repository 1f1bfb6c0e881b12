#include "RadozodEri/Core/Text/Logits.h"

#include "Platform/CoreML/MLMultiArrayDataType.h"
#include "RadozodEri/Utilities/WhisperError.h"

#include <algorithm>
#include <string>

namespace RadozodEri {

namespace {

void requireStepShape(const MLMultiArray& logits)
{
    const auto& shape = logits.shape();
    if (shape.size() != 3 || shape[0] != 1 || shape[1] != 1 ||
        logits.dataType() != Platform::CoreML::MLMultiArrayDataType::float16)
        throw WhisperError::decodingLogitsFailed(
            "Logits must be 16-bit floats shaped [1, 1, V] with V at least 1, not " +
            std::string(Platform::CoreML::multiArrayDataTypeNames.name(logits.dataType())) + " " +
            Platform::CoreML::shapeText(shape));
}

} // namespace

std::span<Float16> logitScores(MLMultiArray& logits)
{
    requireStepShape(logits);
    return logits.mutableValues<Float16>();
}

std::span<const Float16> logitScores(const MLMultiArray& logits)
{
    requireStepShape(logits);
    return logits.values<Float16>();
}

void maskTokens(std::span<Float16> scores, std::int64_t begin, std::int64_t end)
{
    const auto size = static_cast<std::int64_t>(scores.size());
    begin = std::clamp<std::int64_t>(begin, 0, size);
    end = std::clamp<std::int64_t>(end, begin, size);
    std::fill(scores.begin() + begin, scores.begin() + end, maskedLogit);
}

} // namespace RadozodEri
