#include "RadozodEri/Core/Text/TimestampRulesFilter.h"

#include "Platform/ML/Simd/Elementwise.h"
#include "Platform/ML/Tensor/HalfFloat.h"
#include "RadozodEri/Core/Text/Logits.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

namespace RadozodEri {

namespace {

// log Σ exp(score) over a range of scores, gathered a block at a time, so
// that no step allocates a widened copy of the vocabulary.
struct LogSumExp {
    float highest = -std::numeric_limits<float>::infinity();
    float sum = 0;

    explicit LogSumExp(std::span<const Float16> scores)
    {
        constexpr std::size_t blockSize = 1024;
        float block[blockSize];
        for (std::size_t start = 0; start < scores.size(); start += blockSize) {
            const std::size_t count = std::min(blockSize, scores.size() - start);
            Platform::ML::widenHalfFloats(reinterpret_cast<const std::byte*>(scores.data() + start), count, block);
            const float blockHighest = Platform::ML::maximum(block, static_cast<long>(count));
            if (blockHighest > highest) {
                sum *= std::exp(highest - blockHighest);
                highest = blockHighest;
            }
            if (std::isfinite(highest))
                sum += Platform::ML::sumOfExponentials(block, static_cast<long>(count), highest);
        }
    }

    float value() const { return std::isfinite(highest) ? highest + std::log(sum) : highest; }
};

// Whether the timestamp tokens together are more likely than the most likely
// text token; the two log probabilities are compared in half precision.
bool timestampMassWins(std::span<const Float16> scores, int timeTokenBegin)
{
    const auto boundary = std::min<std::size_t>(static_cast<std::size_t>(std::max(timeTokenBegin, 0)), scores.size());
    const LogSumExp text(scores.first(boundary));
    const LogSumExp timestamps(scores.subspan(boundary));
    const float highest = std::max(text.value(), timestamps.value());
    if (!std::isfinite(highest))
        return false;
    const float logTotal =
        highest + std::log(std::exp(text.value() - highest) + std::exp(timestamps.value() - highest));
    const auto logProbability = [&](float value) { return static_cast<float>(Float16(value - logTotal)); };
    return logProbability(timestamps.value()) > logProbability(text.highest);
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
