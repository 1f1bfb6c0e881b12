#include "RadozodEri/Core/Text/SuppressTokensFilter.h"

#include "RadozodEri/Core/Text/Logits.h"

namespace RadozodEri {

MLMultiArray SuppressTokensFilter::filterLogits(MLMultiArray logits, std::span<const int>)
{
    const auto scores = logitScores(logits);
    for (int token : suppressTokens)
        maskToken(scores, token);
    return logits;
}

} // namespace RadozodEri
