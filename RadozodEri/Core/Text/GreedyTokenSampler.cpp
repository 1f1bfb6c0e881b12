#include "RadozodEri/Core/Text/GreedyTokenSampler.h"

#include "Platform/ML/Simd/Elementwise.h"
#include "Platform/ML/Tensor/HalfFloat.h"
#include "RadozodEri/Core/Text/Logits.h"
#include "RadozodEri/Utilities/WhisperError.h"

#include <algorithm>
#include <cmath>
#include <random>

namespace RadozodEri {

namespace {

GreedyTokenSampler::RandomBits seededGenerator()
{
    return [generator = std::mt19937_64(std::random_device{}())]() mutable { return generator(); };
}

// Uniform in [lower, upper) from 24 random bits; a value that rounds up to
// the upper bound is drawn again.
float uniformDraw(const GreedyTokenSampler::RandomBits& random, float lower, float upper)
{
    for (;;) {
        const float unit = static_cast<float>(random() & 0xFFFFFF) * 0x1p-24f;
        const float value = lower + (upper - lower) * unit;
        if (value != upper)
            return value;
    }
}

bool higherScore(const std::pair<float, int>& first, const std::pair<float, int>& second)
{
    return first.first > second.first;
}

} // namespace

GreedyTokenSampler::GreedyTokenSampler(float temperature, int eotToken, DecodingOptions decodingOptions,
                                       RandomBits random)
    : temperature(temperature), eotToken(eotToken), decodingOptions(std::move(decodingOptions)),
      random_(random ? std::move(random) : seededGenerator())
{
}

SamplingResult GreedyTokenSampler::update(const std::vector<int>& tokens, const Platform::CoreML::MLMultiArray& logits,
                                          const std::vector<float>& logProbs)
{
    const auto [token, logProb] = sample(logits);
    SamplingResult result{tokens, logProbs, token == eotToken};
    result.tokens.push_back(token);
    result.logProbs.push_back(logProb);
    return result;
}

SamplingResult GreedyTokenSampler::finalize(const std::vector<int>& tokens, const std::vector<float>& logProbs)
{
    SamplingResult result{tokens, logProbs, true};
    if (tokens.empty() || tokens.back() != eotToken) {
        result.tokens.push_back(eotToken);
        result.logProbs.push_back(0.0f);
    }
    return result;
}

std::pair<int, float> GreedyTokenSampler::sample(const Platform::CoreML::MLMultiArray& logits)
{
    const auto scores = logitScores(logits);
    const auto count = scores.size();
    scores_.resize(count);
    Platform::ML::widenHalfFloats(reinterpret_cast<const std::byte*>(scores.data()), count, scores_.data());
    const float scale = static_cast<float>(temperature);
    if (scale != 0.0f) {
        // The inverse is taken in half precision, as the scores are.
        const float inverse = static_cast<float>(Float16(1.0f / scale));
        for (float& value : scores_)
            value *= inverse;
    }
    // The softmax is kept implicit: log p = score - highest - log Σ exp(score - highest).
    const float highest = Platform::ML::maximum(scores_.data(), static_cast<long>(count));
    if (!std::isfinite(highest))
        throw WhisperError::decodingLogitsFailed("No token can be sampled: every score is masked or not a number");
    const float logTotal = std::log(Platform::ML::sumOfExponentials(scores_.data(), static_cast<long>(count), highest));
    const auto logProbability = [&](float score) { return score - highest - logTotal; };

    if (scale == 0.0f) {
        const auto best = std::ranges::find(scores_, highest) - scores_.begin();
        return {static_cast<int>(best), logProbability(highest)};
    }

    // The k best in a heap whose top is the least of them.
    const auto k =
        static_cast<std::size_t>(std::clamp<std::int64_t>(decodingOptions.topK, 1, static_cast<std::int64_t>(count)));
    candidates_.clear();
    candidates_.reserve(k);
    for (std::size_t token = 0; token < count; ++token) {
        const float score = scores_[token];
        if (candidates_.size() < k) {
            candidates_.emplace_back(score, static_cast<int>(token));
            std::ranges::push_heap(candidates_, higherScore);
        } else if (score > candidates_.front().first) {
            std::ranges::pop_heap(candidates_, higherScore);
            candidates_.back() = {score, static_cast<int>(token)};
            std::ranges::push_heap(candidates_, higherScore);
        }
    }
    std::ranges::sort_heap(candidates_, higherScore);
    for (auto& candidate : candidates_)
        candidate.first = std::exp(logProbability(candidate.first));
    const auto& [probability, token] = candidates_[drawCandidate()];
    return {token, std::log(probability)};
}

std::size_t GreedyTokenSampler::drawCandidate()
{
    float sum = 0;
    for (const auto& candidate : candidates_)
        sum += candidate.first;
    if (!(sum > 0.0f))
        return 0;
    const float target = uniformDraw(random_, 0.0f, sum);
    float runningTotal = 0;
    for (std::size_t position = 0; position < candidates_.size(); ++position) {
        runningTotal += candidates_[position].first;
        if (target < runningTotal)
            return position;
    }
    return 0;
}

} // namespace RadozodEri
