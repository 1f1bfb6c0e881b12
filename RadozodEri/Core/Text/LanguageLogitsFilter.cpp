#include "RadozodEri/Core/Text/LanguageLogitsFilter.h"

#include "RadozodEri/Core/Text/Logits.h"

#include <stdexcept>
#include <string>
#include <utility>

namespace RadozodEri {

namespace {

std::vector<int> nonLanguageTokens(int logitsDim, const std::unordered_set<int>& languageTokens)
{
    if (logitsDim < 0)
        throw std::invalid_argument("The vocabulary size " + std::to_string(logitsDim) + " is negative");
    std::vector<int> tokens;
    for (int token = 0; token < logitsDim; ++token)
        if (!languageTokens.contains(token))
            tokens.push_back(token);
    return tokens;
}

} // namespace

LanguageLogitsFilter::LanguageLogitsFilter(std::unordered_set<int> allLanguageTokens, int logitsDim, int sampleBegin)
    : allLanguageTokens(std::move(allLanguageTokens)), logitsDim(logitsDim), sampleBegin(sampleBegin),
      nonLanguageTokenIndexes(nonLanguageTokens(logitsDim, this->allLanguageTokens))
{
}

MLMultiArray LanguageLogitsFilter::filterLogits(MLMultiArray logits, std::span<const int> tokens)
{
    const auto scores = logitScores(logits);
    if (std::cmp_greater_equal(tokens.size(), sampleBegin))
        for (int token : nonLanguageTokenIndexes)
            maskToken(scores, token);
    return logits;
}

} // namespace RadozodEri
