#include "RadozodEri/Core/Text/TimestampRulesFilter.h"

#include "Platform/ML/Tensor/HalfFloat.h"
#include "RadozodEri/Core/Text/Logits.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

namespace RadozodEri {

namespace {

// Calls `visit` with the scores widened to floats, a block at a time, so that
// no step allocates a copy of the vocabulary.
template <class Visit>
void forEachWidened(std::span<const Float16> scores, Visit&& visit)
{
    constexpr std::size_t blockSize = 512;
    float block[blockSize];
    for (std::size_t start = 0; start < scores.size(); start += blockSize) {
        const std::size_t count = std::min(blockSize, scores.size() - start);
        Platform::ML::widenHalfFloats(reinterpret_cast<const std::byte*>(scores.data() + start), count, block);
        for (std::size_t offset = 0; offset < count; ++offset)
            visit(start + offset, block[offset]);
    }
}

// Whether the timestamp tokens together are more likely than the most likely
// text token; the two log probabilities are compared in half precision.
bool timestampMassWins(std::span<const Float16> scores, int timeTokenBegin)
{
    const std::size_t boundary =
        std::clamp<std::size_t>(static_cast<std::size_t>(std::max(timeTokenBegin, 0)), 0, scores.size());
    constexpr float none = -std::numeric_limits<float>::infinity();
    float highest = none;
    float highestText = none;
    forEachWidened(scores, [&](std::size_t token, float score) {
        highest = std::max(highest, score);
        if (token < boundary)
            highestText = std::max(highestText, score);
    });
    if (!std::isfinite(highest))
        return false;
    float total = 0;
    float timestampTotal = 0;
    forEachWidened(scores, [&](std::size_t token, float score) {
        const float weight = std::exp(score - highest);
        total += weight;
        if (token >= boundary)
            timestampTotal += weight;
    });
    const float logTotal = std::log(total);
    const float timestampMass = std::log(timestampTotal) - logTotal;
    const float maxText = highestText - highest - logTotal;
    return static_cast<float>(Float16(timestampMass)) > static_cast<float>(Float16(maxText));
}

} // namespace

std::optional<int> TimestampRulesFilter::sampleBeginFor(std::span<const int> tokens) const
{
    if (!isModelMultilingual)
        return sampleBegin;
    const std::size_t looked = std::min<std::size_t>(tokens.size(), 3);
    for (std::size_t position = 0; position < looked; ++position)
        if (tokens[position] == specialTokens.transcribeToken || tokens[position] == specialTokens.translateToken)
            return std::max(static_cast<int>(position) + 1, sampleBegin);
    return std::nullopt;
}

MLMultiArray TimestampRulesFilter::filterLogits(MLMultiArray logits, std::span<const int> tokens)
{
    const auto scores = logitScores(logits);
    const auto begin = sampleBeginFor(tokens);
    if (!begin || std::cmp_less(tokens.size(), *begin))
        return logits;
    const int timeTokenBegin = specialTokens.timeTokenBegin;
    maskToken(scores, specialTokens.noTimestampsToken);

    if (std::cmp_greater(tokens.size(), *begin)) {
        const auto sampled = tokens.subspan(static_cast<std::size_t>(std::max(*begin, 0)));
        const bool lastWasTimestamp = sampled.back() >= timeTokenBegin;
        const bool penultimateWasTimestamp = sampled.size() == 1 || sampled[sampled.size() - 2] >= timeTokenBegin;
        if (lastWasTimestamp) {
            if (penultimateWasTimestamp)
                maskTokens(scores, timeTokenBegin, static_cast<std::int64_t>(scores.size()));
            else
                maskTokens(scores, 0, specialTokens.endToken);
        }
        const auto lastTimestamp =
            std::ranges::find_if(sampled.rbegin(), sampled.rend(), [&](int token) { return token >= timeTokenBegin; });
        if (lastTimestamp != sampled.rend()) {
            // A timestamp may repeat only to close the pair it just opened.
            const bool closingPair = lastWasTimestamp && !penultimateWasTimestamp;
            maskTokens(scores, timeTokenBegin, static_cast<std::int64_t>(*lastTimestamp) + (closingPair ? 0 : 1));
        }
    }

    if (timestampMassWins(scores, timeTokenBegin))
        maskTokens(scores, 0, timeTokenBegin);
    return logits;
}

} // namespace RadozodEri
