#include "RadozodEri/Core/DecodingCache.h"
#include "RadozodEri/Core/DecodingInputs.h"

#include <gtest/gtest.h>

using namespace RadozodEri;
using Platform::CoreML::MLMultiArray;
using Platform::CoreML::MLMultiArrayDataType;

namespace {

// Buffers of a 10-position cache whose masks hold 99 past position 8, so a
// reset that writes beyond its token context shows.
DecodingInputs inputs()
{
    const auto halves = [](std::vector<std::int64_t> shape) { return MLMultiArray(shape, MLMultiArrayDataType::float16); };
    MLMultiArray update({1, 10}, MLMultiArrayDataType::int32);
    MLMultiArray padding = halves({1, 10});
    for (int i = 8; i < 10; ++i) {
        update.setNumber(i, 99);
        padding.setNumber(i, 99);
    }
    return DecodingInputs({50258}, MLMultiArray({1}, MLMultiArrayDataType::int32), MLMultiArray({1}, MLMultiArrayDataType::int32),
                          halves({1, 4, 1, 10}), halves({1, 4, 1, 10}), halves({10, 6}), update, padding,
                          halves({1, 4, 1, 10}), halves({1, 4, 1, 10}));
}

std::vector<double> firstEight(const MLMultiArray& array)
{
    std::vector<double> values;
    for (int i = 0; i < 8; ++i)
        values.push_back(array.number(i));
    return values;
}

constexpr double M = -10000;

} // namespace

TEST(DecodingInputs, ResetStartsTheNextWindowFromThePrefill)
{
    const struct {
        int prefilled;
        int context;
        std::vector<double> update;
        std::vector<double> padding;
    } cases[] = {
        {3, 8, {0, 0, 0, 1, 0, 0, 0, 0}, {0, 0, 0, 0, M, M, M, M}},
        {0, 4, {1, 0, 0, 0, 0, 0, 0, 0}, {0, M, M, M, 0, 0, 0, 0}},
        {10, 4, {0, 0, 0, 1, 0, 0, 0, 0}, {0, 0, 0, 0, 0, 0, 0, 0}},
        {-1, 3, {0, 0, 0, 0, 0, 0, 0, 0}, {M, M, M, 0, 0, 0, 0, 0}},
        {5, 0, {0, 0, 0, 0, 0, 0, 0, 0}, {0, 0, 0, 0, 0, 0, 0, 0}},
    };
    for (const auto& c : cases) {
        for (int time = 0; time < 2; ++time) { // a second reset changes nothing more
            auto buffers = inputs();
            buffers.reset(c.prefilled, c.context);
            if (time == 1)
                buffers.reset(c.prefilled, c.context);
            EXPECT_EQ(buffers.cacheLength.number(0), c.prefilled);
            EXPECT_EQ(firstEight(buffers.kvCacheUpdateMask), c.update) << c.prefilled << ", " << c.context;
            EXPECT_EQ(firstEight(buffers.decoderKeyPaddingMask), c.padding) << c.prefilled << ", " << c.context;
            EXPECT_EQ(buffers.kvCacheUpdateMask.number(9), 99);
            EXPECT_EQ(buffers.decoderKeyPaddingMask.number(8), 99);
            EXPECT_EQ(buffers.initialPrompt, std::vector<int>{50258});
        }
    }
}

// A token context the masks cannot hold is refused before anything changes.
TEST(DecodingInputs, ResetRefusesAContextTheMasksCannotHold)
{
    for (int context : {-1, 11}) {
        auto buffers = inputs();
        buffers.cacheLength.setNumber(0, 7);
        const auto versions = std::vector{buffers.cacheLength.version(), buffers.kvCacheUpdateMask.version()};
        EXPECT_ANY_THROW(buffers.reset(2, context)) << context;
        EXPECT_EQ(buffers.cacheLength.number(0), 7);
        EXPECT_EQ((std::vector{buffers.cacheLength.version(), buffers.kvCacheUpdateMask.version()}), versions);
    }
    EXPECT_THROW(inputs().reset(2, -1), std::invalid_argument);
    const DecodingCache empty;
    EXPECT_FALSE(empty.keyCache || empty.valueCache || empty.alignmentWeights);
}
