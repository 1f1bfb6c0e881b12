#include "RuntimeCore/Models/MultiArrayHelpers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

using namespace RuntimeCore;
using Platform::CoreML::Float16;

namespace {

std::vector<double> numbers(const MLMultiArray& array)
{
    std::vector<double> result;
    for (std::int64_t i = 0; i < array.count(); ++i)
        result.push_back(array.number(i));
    return result;
}

} // namespace

// An array is filled only by a value of its own element type.
TEST(MultiArrayHelpers, FillsOnlyWithAValueOfTheElementType)
{
    using enum MLMultiArrayDataType;
    const struct {
        const char* what;
        std::function<MLMultiArray()> make;
        double expected;
    } cases[] = {
        {"halves with a half", [] { return multiArray({1, 4}, float16, Float16(1.5f)); }, 1.5},
        {"halves with a double", [] { return multiArray({1, 4}, float16, 1.5); }, 0},
        {"halves with -infinity", [] { return multiArray({1, 4}, float16, Float16(-INFINITY)); }, -INFINITY},
        {"integers with an int32", [] { return multiArray({2, 3}, int32, std::int32_t{7}); }, 7},
        {"integers with a platform integer", [] { return multiArray({2, 3}, int32, std::int64_t{7}); }, 0},
        {"floats with a float", [] { return multiArray({3}, float32, 0.25f); }, 0.25},
        {"floats with a double", [] { return multiArray({3}, float32, 0.25); }, 0},
        {"doubles with a double", [] { return multiArray({3}, float64, 0.25); }, 0.25},
        {"doubles with a text", [] { return multiArray({3}, float64, "0.25"); }, 0},
    };
    for (const auto& c : cases) {
        const MLMultiArray array = c.make();
        for (double value : numbers(array))
            EXPECT_EQ(value, c.expected) << c.what;
    }
    EXPECT_EQ(multiArray({1, 4}, float16, Float16(0)).count(), 4);
}

TEST(MultiArrayHelpers, HalfFloatArraysLieOnPixelBuffersAndNeedOne)
{
    const auto buffer = pixelBuffer({2, 3, 5});
    ASSERT_TRUE(buffer);
    EXPECT_EQ(buffer->width(), 5);
    EXPECT_EQ(buffer->height(), 6);
    EXPECT_EQ(pixelBuffer({7})->height(), 1);
    for (const auto& shape : std::vector<std::vector<std::int64_t>>{{}, {0, 4}, {4, 0}, {1LL << 40, 1LL << 30}}) {
        EXPECT_FALSE(pixelBuffer(shape));
        try {
            multiArray(shape, MLMultiArrayDataType::float16, Float16(0));
            ADD_FAILURE() << "made an array of shape " << Platform::CoreML::shapeText(shape);
        } catch (const MLMultiArrayCreationError& error) {
            EXPECT_STREQ(error.what(), "Failed to create IOSurface-backed pixel buffer for MLMultiArray");
            EXPECT_EQ(error, MLMultiArrayCreationError::pixelBufferFailed());
        }
    }
    EXPECT_THROW(multiArray({}, MLMultiArrayDataType::int32, 0), std::invalid_argument);
}

TEST(MultiArrayHelpers, MakesIntegerArraysFromValues)
{
    const auto flat = multiArrayFrom({5, 6, 7}, 1);
    EXPECT_EQ(flat.shape(), (std::vector<std::int64_t>{3}));
    EXPECT_EQ(numbers(flat), (std::vector<double>{5, 6, 7}));
    EXPECT_EQ(multiArrayFrom({5, 6, 7}, 3).shape(), (std::vector<std::int64_t>{1, 1, 3}));
    EXPECT_EQ(multiArrayFrom({9}, 1).shape(), (std::vector<std::int64_t>{1}));
    EXPECT_THROW(multiArrayFrom({5}, 0), std::invalid_argument);
}

TEST(MultiArrayHelpers, OffsetsFollowTheStridesBothListsHave)
{
    const MLMultiArray array({3, 10}, MLMultiArrayDataType::float32);
    EXPECT_EQ(linearOffset(array, {1, 2}, std::vector<std::int64_t>{10, 1}), 12);
    EXPECT_EQ(linearOffset(array, {1, 2}, std::vector<std::int64_t>{10}), 10);
    EXPECT_EQ(linearOffset(array, {2, 7}), 27);
    EXPECT_EQ(linearOffset(array, {2}), 20);
    EXPECT_THROW(linearOffset(array, {1LL << 62}, std::vector<std::int64_t>{4}), std::overflow_error);
}

TEST(MultiArrayHelpers, FillsWriteTheListedPositionsOnly)
{
    auto logits = multiArray({1, 1, 8}, MLMultiArrayDataType::float16, Float16(1));
    fillLastDimension(logits, 3, 5, Float16(-INFINITY));
    EXPECT_EQ(numbers(logits), (std::vector<double>{1, 1, 1, -INFINITY, -INFINITY, 1, 1, 1}));
    fillLastDimension(logits, 6, 6, Float16(0));
    fill(logits, {{0, 0, 0}, {0, 0, 7}}, Float16(2));
    EXPECT_EQ(numbers(logits), (std::vector<double>{2, 1, 1, -INFINITY, -INFINITY, 1, 1, 2}));

    // Misuse changes nothing.
    const auto before = numbers(logits);
    EXPECT_THROW(fillLastDimension(logits, 7, 9, Float16(0)), std::out_of_range);
    EXPECT_THROW(fillLastDimension(logits, -1, 2, Float16(0)), std::out_of_range);
    EXPECT_THROW(fillLastDimension(logits, 4, 3, Float16(0)), std::out_of_range);
    EXPECT_THROW(fill(logits, {{0, 0, 1}, {0, 0, 8}}, Float16(0)), std::out_of_range);
    EXPECT_THROW(fill(logits, {{0, 0}}, Float16(0)), std::out_of_range);
    EXPECT_THROW(fill(logits, {{0, 0, 1}}, 0.0f), std::invalid_argument);
    EXPECT_EQ(numbers(logits), before);

    auto wide = multiArray({1, 2, 8}, MLMultiArrayDataType::float16, Float16(0));
    EXPECT_THROW(fillLastDimension(wide, 0, 1, Float16(0)), std::invalid_argument);
    auto floats = MLMultiArray({1, 1, 8}, MLMultiArrayDataType::float32);
    EXPECT_THROW(fillLastDimension(floats, 0, 1, Float16(0)), std::invalid_argument);
}
