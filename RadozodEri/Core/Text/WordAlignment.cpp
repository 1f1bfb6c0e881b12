#include "RadozodEri/Core/Text/SegmentSeeker.h"

#include "RadozodEri/Utilities/WhisperError.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <utility>

namespace RadozodEri {

namespace {

using Platform::CoreML::MLMultiArray;

constexpr float secondsPerFrame = 0.02f;
// The frames of a whole window, for a path without any.
constexpr int windowFrames = 1500;

enum Move : std::int8_t { none = -1, diagonal = 0, up = 1, left = 2 };

// Subtracting the weight makes the path with the most weight the cheapest.
// A tie goes to the left move, even when the left cost is the larger one.
std::pair<double, Move> minCostAndTrace(double costDiagonal, double costUp, double costLeft, double value)
{
    const double c0 = costDiagonal - value;
    const double c1 = costUp - value;
    const double c2 = costLeft - value;
    if (c0 < c1 && c0 < c2)
        return {c0, diagonal};
    if (c1 < c0 && c1 < c2)
        return {c1, up};
    return {c2, left};
}

// Row `row` of the [N, M] matrix as doubles.
void readRow(const MLMultiArray& matrix, std::int64_t row, std::vector<double>& values)
{
    const auto begin = row * static_cast<std::int64_t>(values.size());
    for (std::size_t column = 0; column < values.size(); ++column)
        values[column] = matrix.number(begin + static_cast<std::int64_t>(column));
}

} // namespace

SegmentSeeker::AlignmentPath SegmentSeeker::dynamicTimeWarping(const MLMultiArray& matrix)
{
    const auto& shape = matrix.shape();
    if (shape.size() != 2 || shape[0] < 1 || shape[1] < 1 || shape[0] >= std::numeric_limits<int>::max() ||
        shape[1] >= std::numeric_limits<int>::max())
        throw WhisperError::segmentingFailed("Invalid alignment matrix shape");
    const auto rows = static_cast<std::size_t>(shape[0]);
    const auto columns = static_cast<std::size_t>(shape[1]);

    // Costs need only the row above; the moves are kept for the backtrace.
    constexpr double unreachable = std::numeric_limits<double>::infinity();
    std::vector<double> above(columns + 1, unreachable);
    std::vector<double> current(columns + 1, unreachable);
    above[0] = 0;
    std::vector<Move> trace((rows + 1) * (columns + 1), none);
    std::fill(trace.begin() + 1, trace.begin() + static_cast<std::ptrdiff_t>(columns + 1), left);
    std::vector<double> weights(columns);
    for (std::size_t i = 1; i <= rows; ++i) {
        trace[i * (columns + 1)] = up;
        readRow(matrix, static_cast<std::int64_t>(i - 1), weights);
        current[0] = unreachable;
        for (std::size_t j = 1; j <= columns; ++j) {
            const auto [cost, move] = minCostAndTrace(above[j - 1], above[j], current[j - 1], weights[j - 1]);
            current[j] = cost;
            trace[i * (columns + 1) + j] = move;
        }
        std::swap(above, current);
    }

    AlignmentPath path;
    std::size_t i = rows;
    std::size_t j = columns;
    while (i > 0 || j > 0) {
        path.textIndices.push_back(static_cast<int>(i) - 1);
        path.timeIndices.push_back(static_cast<int>(j) - 1);
        switch (trace[i * (columns + 1) + j]) {
        case diagonal: --i, --j; break;
        case up: --i; break;
        case left: --j; break;
        case none: i = j = 0; break;
        }
    }
    std::ranges::reverse(path.textIndices);
    std::ranges::reverse(path.timeIndices);
    return path;
}

std::vector<WordTiming> SegmentSeeker::findAlignment(const std::vector<int>& wordTokenIds,
                                                     const MLMultiArray& alignmentWeights,
                                                     const std::vector<float>& tokenLogProbs,
                                                     const WhisperTokenizer& tokenizer,
                                                     const std::optional<TranscriptionTimings>&)
{
    const AlignmentPath path = dynamicTimeWarping(alignmentWeights);
    const WordTokens split = tokenizer.splitToWordTokens(wordTokenIds);
    if (split.words.size() < 2)
        return {};
    const auto tokenCount = static_cast<std::int64_t>(wordTokenIds.size());
    if (alignmentWeights.shape()[0] < tokenCount)
        throw WhisperError::segmentingFailed("The alignment weights have " +
                                             std::to_string(alignmentWeights.shape()[0]) + " rows for " +
                                             std::to_string(tokenCount) + " tokens");
    if (std::cmp_less(tokenLogProbs.size(), tokenCount))
        throw WhisperError::segmentingFailed("There are " + std::to_string(tokenLogProbs.size()) +
                                             " log probabilities for " + std::to_string(tokenCount) + " tokens");

    // A token starts where the path enters its row and ends where the next
    // one starts.
    std::vector<float> startTimes{0.0f};
    std::vector<float> endTimes;
    for (std::size_t k = 1; k < path.textIndices.size(); ++k)
        if (path.textIndices[k] != path.textIndices[k - 1]) {
            const float jump = static_cast<float>(path.timeIndices[k]) * secondsPerFrame;
            startTimes.push_back(jump);
            endTimes.push_back(jump);
        }
    endTimes.push_back(static_cast<float>(path.timeIndices.empty() ? windowFrames : path.timeIndices.back()) *
                       secondsPerFrame);

    std::vector<WordTiming> timings;
    std::size_t position = 0;
    for (std::size_t word = 0; word < split.words.size(); ++word) {
        const auto& tokens = split.wordTokens[word];
        if (tokens.empty())
            continue;
        float logProbSum = 0;
        for (std::size_t offset = 0; offset < tokens.size(); ++offset)
            logProbSum += tokenLogProbs[position + offset];
        timings.push_back({
            .word = split.words[word],
            .tokens = tokens,
            .start = startTimes[position],
            .end = endTimes[position + tokens.size() - 1],
            .probability = std::exp(logProbSum / static_cast<float>(tokens.size())),
        });
        position += tokens.size();
    }
    return timings;
}

} // namespace RadozodEri
