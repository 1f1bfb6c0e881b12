#include "Platform/ML/Tensor/HalfFloat.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

using Platform::ML::narrowToHalfFloat;
using Platform::ML::widenHalfFloats;

namespace {

float widen(uint16_t bits)
{
    float value;
    widenHalfFloats(reinterpret_cast<const std::byte*>(&bits), 1, &value);
    return value;
}

} // namespace

TEST(HalfFloat, NarrowsToTheNearestHalfWithTiesToEven)
{
    const struct {
        float value;
        uint16_t bits;
    } cases[] = {
        {0.0f, 0x0000},     {-0.0f, 0x8000},           {1.0f, 0x3c00},          {-2.5f, 0xc100},
        {65504.0f, 0x7bff}, {65520.0f, 0x7c00},        {1e-8f, 0x0000},         {0x1p-24f, 0x0001},
        {0x1p-14f, 0x0400}, {1.0f + 0x1p-11f, 0x3c00}, {1.0f + 0x3p-11f, 0x3c02},
        {std::numeric_limits<float>::infinity(), 0x7c00},
    };
    for (const auto& c : cases)
        EXPECT_EQ(narrowToHalfFloat(c.value), c.bits) << c.value;
    EXPECT_TRUE(std::isnan(widen(narrowToHalfFloat(std::nanf("")))));
}

TEST(HalfFloat, EveryHalfSurvivesWideningAndNarrowing)
{
    for (uint32_t bits = 0; bits <= 0xffff; ++bits) {
        const float value = widen(static_cast<uint16_t>(bits));
        if (std::isnan(value))
            continue;
        ASSERT_EQ(narrowToHalfFloat(value), bits) << std::hex << bits;
    }
    EXPECT_EQ(widen(0x3555), 0.333251953125f);
    EXPECT_EQ(widen(0x8001), -0x1p-24f);
}
