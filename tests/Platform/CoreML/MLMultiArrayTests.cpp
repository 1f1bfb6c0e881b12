#include "Platform/CoreML/MLFeatureProvider.h"
#include "Platform/CoreML/MLShapedArray.h"
#include "Platform/CoreML/PixelBuffer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

using namespace Platform::CoreML;

namespace {

template <class T>
class MLMultiArrayOfEveryType : public testing::Test {};
using ElementTypes = testing::Types<Float16, float, double, std::int32_t>;
TYPED_TEST_SUITE(MLMultiArrayOfEveryType, ElementTypes);

} // namespace

TYPED_TEST(MLMultiArrayOfEveryType, IsZeroFilledRowMajorAndSharedByItsCopies)
{
    const auto type = MLMultiArrayElement<TypeParam>::dataType;
    MLMultiArray array({2, 3, 4}, type);
    EXPECT_EQ(array.shape(), (std::vector<std::int64_t>{2, 3, 4}));
    EXPECT_EQ(array.strides(), (std::vector<std::int64_t>{12, 4, 1}));
    EXPECT_EQ(array.count(), 24);
    EXPECT_EQ(array.byteCount(), 24 * sizeof(TypeParam));
    for (std::int64_t i = 0; i < array.count(); ++i)
        ASSERT_EQ(array.number(i), 0.0);

    MLMultiArray copy = array;
    const auto versionBefore = array.version();
    copy.setNumber(23, -7);
    EXPECT_EQ(array.number(23), -7.0);
    EXPECT_GT(array.version(), versionBefore);
    EXPECT_TRUE(copy.isSameArray(array));
    EXPECT_EQ(copy.identifier(), array.identifier());

    const MLMultiArray other({2, 3, 4}, type);
    EXPECT_FALSE(other.isSameArray(array));
    EXPECT_NE(other.identifier(), array.identifier());

    // Shaped arrays copy both ways.
    const MLShapedArray<TypeParam> shaped(array);
    EXPECT_EQ(shaped.shape(), array.shape());
    MLMultiArray back(shaped);
    EXPECT_EQ(back.number(23), -7.0);
    EXPECT_FALSE(back.isSameArray(array));
}

TEST(MLMultiArray, NumbersTakeTheElementTypesConversion)
{
    MLMultiArray halves({3}, MLMultiArrayDataType::float16);
    halves.setNumber(0, -10000);
    halves.setNumber(1, 0.1);
    EXPECT_EQ(halves.number(0), -10000.0);
    EXPECT_EQ(halves.number(1), 0.0999755859375);
    EXPECT_EQ(halves.values<Float16>()[0].bits, 0xf0e2);

    MLMultiArray integers({2}, MLMultiArrayDataType::int32);
    integers.setNumber(0, -2.75);
    EXPECT_EQ(integers.values<std::int32_t>()[0], -2);
    integers.setNumber(1, 2147483647.0);
    EXPECT_THROW(integers.setNumber(1, 2147483648.0), std::out_of_range);
    EXPECT_THROW(integers.setNumber(1, NAN), std::out_of_range);
    EXPECT_EQ(integers.number(1), 2147483647.0);
}

TEST(MLMultiArray, MisuseIsRefusedWithoutTouchingMemory)
{
    MLMultiArray array({2, 2}, MLMultiArrayDataType::float32);
    const struct {
        const char* what;
        std::function<void()> misuse;
    } cases[] = {
        {"empty shape", [] { MLMultiArray({}, MLMultiArrayDataType::int32); }},
        {"negative extent", [] { MLMultiArray({2, -1}, MLMultiArrayDataType::int32); }},
        {"size past memory", [] { MLMultiArray({1LL << 40, 1LL << 30}, MLMultiArrayDataType::int32); }},
        {"read past the end", [&] { array.number(4); }},
        {"write before the start", [&] { array.setNumber(-1, 0); }},
        {"read as another type", [&] { array.values<double>(); }},
        {"write as another type", [&] { array.mutableValues<Float16>(); }},
        {"shaped array of another type", [&] { MLShapedArray<std::int32_t>{array}; }},
        {"scalars that miss the shape", [] { MLShapedArray<float>({2, 2}, {1, 2, 3}); }},
    };
    for (const auto& c : cases)
        EXPECT_ANY_THROW(c.misuse()) << c.what;
    EXPECT_EQ(MLMultiArray({0, 3}, MLMultiArrayDataType::float32).count(), 0);
}

TEST(MLMultiArray, SixteenBitArraysLieOnPixelBuffersWithoutPaddedRows)
{
    auto buffer = PixelBuffer::make(5, 6);
    ASSERT_TRUE(buffer);
    EXPECT_EQ(buffer->bytesPerRow(), 10);
    MLMultiArray array(*buffer, {2, 3, 5});
    EXPECT_EQ(array.strides(), (std::vector<std::int64_t>{15, 5, 1}));
    array.setNumber(29, 1.5);
    EXPECT_EQ(MLMultiArray(*buffer, {6, 5}).number(29), 1.5);
    EXPECT_THROW(MLMultiArray(*buffer, {3, 10}), std::invalid_argument);
    EXPECT_THROW(MLMultiArray(*buffer, {6, 6}), std::invalid_argument);

    EXPECT_FALSE(PixelBuffer::make(0, 3));
    EXPECT_FALSE(PixelBuffer::make(3, -1));
    EXPECT_FALSE(PixelBuffer::make(1LL << 62, 4));
}
