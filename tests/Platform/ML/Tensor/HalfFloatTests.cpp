#include "Platform/ML/Tensor/Float16.h"
#include "Platform/ML/Tensor/HalfFloat.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

using Platform::ML::Float16;
using Platform::ML::narrowToHalfFloat;
using Platform::ML::narrowToHalfFloats;
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

// The bulk forms take another road where the processor has conversion
// instructions; every number must come out the same, tails included.
TEST(HalfFloat, BulkConversionsGiveTheOneValueResults)
{
    std::vector<uint16_t> halves(0x10000 - 3); // not a multiple of the vector width
    for (size_t i = 0; i < halves.size(); ++i)
        halves[i] = static_cast<uint16_t>(i + 3);
    std::vector<float> widened(halves.size());
    widenHalfFloats(reinterpret_cast<const std::byte*>(halves.data()), halves.size(), widened.data());
    for (size_t i = 0; i < halves.size(); ++i) {
        if (std::isnan(widened[i]))
            continue;
        ASSERT_EQ(widened[i], widen(halves[i])) << std::hex << halves[i];
    }

    // Every half, the midpoints between neighbours (where ties go to even) and
    // random floats across the whole range.
    std::vector<float> floats;
    for (float value : widened) {
        if (std::isfinite(value)) {
            floats.push_back(value);
            floats.push_back(std::nextafter(value, INFINITY));
            floats.push_back(value * (1.0f + 0x1p-11f));
        }
    }
    std::mt19937 random(7);
    for (int i = 0; i < 100001; ++i)
        floats.push_back(std::bit_cast<float>(static_cast<uint32_t>(random())));
    std::vector<uint16_t> narrowed(floats.size());
    narrowToHalfFloats(floats.data(), floats.size(), reinterpret_cast<std::byte*>(narrowed.data()));
    for (size_t i = 0; i < floats.size(); ++i) {
        if (std::isnan(floats[i]))
            continue;
        ASSERT_EQ(narrowed[i], narrowToHalfFloat(floats[i])) << floats[i];
    }
}

TEST(Float16, RoundsToTheNearestHalfAndWidensExactly)
{
    const struct {
        float value;
        uint16_t bits;
        float back;
    } cases[] = {
        {-INFINITY, 0xfc00, -INFINITY}, {-10000.0f, 0xf0e2, -10000.0f}, {1.5f, 0x3e00, 1.5f},
        {0.1f, 0x2e66, 0.0999755859375f}, {65519.0f, 0x7bff, 65504.0f}, {-0.0f, 0x8000, -0.0f},
    };
    for (const auto& c : cases) {
        const Float16 half(c.value);
        EXPECT_EQ(half.bits, c.bits) << c.value;
        EXPECT_EQ(static_cast<float>(half), c.back) << c.value;
    }
    EXPECT_EQ(static_cast<float>(Float16::fromBits(0x3c00)), 1.0f);
}
