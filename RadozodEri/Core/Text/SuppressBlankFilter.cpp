#include "RadozodEri/Core/Text/SuppressBlankFilter.h"

#include "RadozodEri/Core/Text/Logits.h"

#include <utility>

namespace RadozodEri {

MLMultiArray SuppressBlankFilter::filterLogits(MLMultiArray logits, std::span<const int> tokens)
{
    const auto scores = logitScores(logits);
    if (std::cmp_equal(tokens.size(), sampleBegin)) {
        maskToken(scores, specialTokens.whitespaceToken);
        maskToken(scores, specialTokens.endToken);
    }
    return logits;
}

} // namespace RadozodEri
