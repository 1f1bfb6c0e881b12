#include "Platform/ML/Tensor/HalfFloat.h"

#include <bit>
#include <cstdint>
#include <cstring>
#include <immintrin.h>

namespace Platform::ML {
namespace {

// Chosen at run time rather than through ifunc resolvers, which run too early
// for some sanitizers.
bool hasConversionInstructions()
{
    static const bool has = __builtin_cpu_supports("avx") && __builtin_cpu_supports("f16c");
    return has;
}

void widenEach(const std::byte* source, size_t count, float* destination)
{
    for (size_t i = 0; i < count; ++i) {
        uint16_t half;
        std::memcpy(&half, source + 2 * i, sizeof half);
        destination[i] = widenHalfFloat(half);
    }
}

void narrowEach(const float* source, size_t count, std::byte* destination)
{
    for (size_t i = 0; i < count; ++i) {
        const uint16_t half = narrowToHalfFloat(source[i]);
        std::memcpy(destination + 2 * i, &half, sizeof half);
    }
}

__attribute__((target("avx,f16c"))) void widenEight(const std::byte* source, size_t count, float* destination)
{
    size_t i = 0;
    for (; i + 8 <= count; i += 8) {
        const __m128i halves = _mm_loadu_si128(reinterpret_cast<const __m128i*>(source + 2 * i));
        _mm256_storeu_ps(destination + i, _mm256_cvtph_ps(halves));
    }
    widenEach(source + 2 * i, count - i, destination + i);
}

__attribute__((target("avx,f16c"))) void narrowEight(const float* source, size_t count, std::byte* destination)
{
    size_t i = 0;
    for (; i + 8 <= count; i += 8) {
        const __m128i halves = _mm256_cvtps_ph(_mm256_loadu_ps(source + i), _MM_FROUND_TO_NEAREST_INT);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(destination + 2 * i), halves);
    }
    narrowEach(source + i, count - i, destination + 2 * i);
}

} // namespace

float widenHalfFloat(unsigned short half)
{
    const uint32_t sign = static_cast<uint32_t>(half & 0x8000u) << 16;
    const uint32_t exponent = (half >> 10) & 0x1fu;
    const uint32_t mantissa = half & 0x3ffu;
    uint32_t bits;
    if (exponent == 0x1f) {
        bits = sign | 0x7f800000u | (mantissa << 13);
    } else if (exponent != 0) {
        bits = sign | ((exponent + 112) << 23) | (mantissa << 13);
    } else if (mantissa == 0) {
        bits = sign;
    } else {
        // Subnormal half: exact as a normal float.
        const float magnitude = static_cast<float>(mantissa) * 0x1p-24f;
        bits = sign | std::bit_cast<uint32_t>(magnitude);
    }
    return std::bit_cast<float>(bits);
}

unsigned short narrowToHalfFloat(float value)
{
    const uint32_t bits = std::bit_cast<uint32_t>(value);
    const uint32_t sign = (bits >> 16) & 0x8000u;
    const uint32_t magnitudeBits = bits & 0x7fffffffu;
    if (magnitudeBits >= 0x7f800000u) // infinity or NaN
        return static_cast<unsigned short>(sign | 0x7c00u | (magnitudeBits > 0x7f800000u ? 0x200u : 0));
    if (magnitudeBits >= 0x477ff000u) // rounds past the largest half
        return static_cast<unsigned short>(sign | 0x7c00u);
    if (magnitudeBits < 0x38800000u) { // subnormal or zero half
        const float magnitude = std::bit_cast<float>(magnitudeBits);
        // Adding 0.5 shifts the value so the FPU's round-to-nearest-even lands
        // on the half's subnormal grid.
        const uint32_t rounded = std::bit_cast<uint32_t>(magnitude + 0.5f) - 0x3f000000u;
        return static_cast<unsigned short>(sign | rounded);
    }
    const uint32_t mantissaOdd = (magnitudeBits >> 13) & 1u;
    const uint32_t adjusted = magnitudeBits + 0xc8000fffu + mantissaOdd; // rebias and round
    return static_cast<unsigned short>(sign | (adjusted >> 13));
}

void widenHalfFloats(const std::byte* source, size_t count, float* destination)
{
    if (hasConversionInstructions())
        widenEight(source, count, destination);
    else
        widenEach(source, count, destination);
}

void narrowToHalfFloats(const float* source, size_t count, std::byte* destination)
{
    if (hasConversionInstructions())
        narrowEight(source, count, destination);
    else
        narrowEach(source, count, destination);
}

} // namespace Platform::ML
