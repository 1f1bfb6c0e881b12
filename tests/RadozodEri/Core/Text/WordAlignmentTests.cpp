#include "RadozodEri/Core/Text/SegmentSeeker.h"
#include "RadozodEri/Doubles/WindowTokenizer.h"
#include "RadozodEri/Utilities/WhisperError.h"

#include "Platform/CoreML/MLShapedArray.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace RadozodEri;
using namespace TestSupport;
using Platform::CoreML::MLMultiArray;
using Platform::CoreML::MLShapedArray;

namespace {

MLMultiArray matrix(std::vector<std::int64_t> shape, std::vector<float> values)
{
    return MLMultiArray(MLShapedArray<float>(std::move(shape), std::move(values)));
}

void expectSegmentingFailure(const std::function<void()>& action, const std::string& message)
{
    try {
        action();
        ADD_FAILURE() << "no error; expected " << message;
    } catch (const WhisperError& error) {
        EXPECT_EQ(error.kind(), WhisperError::Kind::segmentingFailed);
        EXPECT_EQ(error.what(), message);
    }
}

} // namespace

TEST(WordAlignment, FindsThePathOfMostWeightWithTiesGoingLeft)
{
    struct Case {
        const char* name;
        MLMultiArray weights;
        SegmentSeeker::AlignmentPath path;
    };
    const Case cases[] = {
        {"two tokens over four frames", matrix({2, 4}, {3, 1, 0, 0, 0, 0, 2, 1}), {{0, 0, 1, 1, 1}, {0, 1, 1, 2, 3}}},
        {"a tie takes the left move", matrix({2, 2}, {1, 0, 0, 1}), {{0, 1, 1}, {0, 0, 1}}},
        {"one cell", matrix({1, 1}, {5}), {{0}, {0}}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SegmentSeeker::dynamicTimeWarping(c.weights), c.path) << c.name;

    for (auto shape : {std::vector<std::int64_t>{4}, std::vector<std::int64_t>{1, 2, 2}})
        expectSegmentingFailure(
            [&] {
                SegmentSeeker::dynamicTimeWarping(matrix(shape, {1, 2, 3, 4}));
            },
            "Invalid alignment matrix shape");
}

TEST(WordAlignment, TimesWordsFromThePath)
{
    const auto tokenizer = windowTokenizer();
    const MLMultiArray weights = matrix({2, 4}, {3, 1, 0, 0, 0, 0, 2, 1});
    const auto words = SegmentSeeker::findAlignment({hello, world}, weights, {-0.1f, -0.2f}, tokenizer);
    EXPECT_EQ(words, (std::vector<WordTiming>{{" Hello", {hello}, 0.0f, 0.02f, std::exp(-0.1f)},
                                              {" world", {world}, 0.02f, 0.06f, std::exp(-0.2f)}}));

    // A word spans its tokens and averages their log probabilities; the tie at
    // the second diagonal cell sends the path left first.
    const auto joined = SegmentSeeker::findAlignment(
        {hello, pluralS, world}, matrix({3, 3}, {1, 0, 0, 0, 1, 0, 0, 0, 1}), {-0.1f, -0.3f, -0.5f}, tokenizer);
    EXPECT_EQ(joined, (std::vector<WordTiming>{{" Hellos", {hello, pluralS}, 0.0f, 0.02f, std::exp(-0.2f)},
                                               {" world", {world}, 0.02f, 0.04f, std::exp(-0.5f)}}));

    EXPECT_EQ(SegmentSeeker::findAlignment({hello}, matrix({1, 4}, {1, 2, 3, 4}), {-0.1f}, tokenizer),
              std::vector<WordTiming>{});
    expectSegmentingFailure(
        [&] {
            SegmentSeeker::findAlignment({hello, world}, weights, {-0.1f}, tokenizer);
        },
        "There are 1 log probabilities for 2 tokens");
    expectSegmentingFailure(
        [&] {
            SegmentSeeker::findAlignment({hello, world, comma}, weights, {-0.1f, -0.2f, -0.3f}, tokenizer);
        },
        "The alignment weights have 2 rows for 3 tokens");
}
