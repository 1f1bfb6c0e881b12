#pragma once

// Bit tricks on fixed-width integers: rounding to powers of two, counting,
// ranking and selecting set bits, and reversing a word.

#include <bit>
#include <concepts>
#include <cstdint>
#include <limits>
#include <optional>
#include <type_traits>

namespace InternalCollectionsUtilities {

// The smallest power of two not below the value; 0 for values that aren't
// positive. The caller keeps the result representable: a shift by the full
// width gives 0 instead of being undefined.
template <std::integral T>
T _roundUpToPowerOfTwo(T value)
{
    if (value <= 0)
        return 0;
    using U = std::make_unsigned_t<T>;
    const int shift = std::numeric_limits<U>::digits - std::countl_zero(static_cast<U>(static_cast<U>(value) - 1));
    if (shift >= std::numeric_limits<U>::digits)
        return 0;
    return static_cast<T>(U(1) << shift);
}

template <std::integral T>
T _nonzeroBitCount(T value)
{
    return static_cast<T>(std::popcount(static_cast<std::make_unsigned_t<T>>(value)));
}

// The number of set bits below position `bit`, taken modulo the width.
template <std::integral T>
T _rank(T value, int bit)
{
    using U = std::make_unsigned_t<T>;
    const U shifted = U(1) << (static_cast<unsigned>(bit) % std::numeric_limits<U>::digits);
    return static_cast<T>(std::popcount(static_cast<U>(static_cast<U>(value) & static_cast<U>(shifted - 1))));
}

// The position of the set bit with exactly `n` set bits below it. `n` is read
// as an unsigned number of the word's width, so a negative rank finds nothing.
template <std::unsigned_integral U>
requires(sizeof(U) == 8 || sizeof(U) == 4 || sizeof(U) == 2) std::optional<std::uint64_t> _bit(U word, std::int64_t n)
{
    U rank = static_cast<U>(n);
    if (rank >= static_cast<U>(std::popcount(word)))
        return std::nullopt;
    std::uint64_t position = 0;
    for (int width = std::numeric_limits<U>::digits / 2; width >= 1; width /= 2) {
        const U low = static_cast<U>((word >> position) & ((U(1) << width) - 1));
        const U lowCount = static_cast<U>(std::popcount(low));
        if (rank >= lowCount) {
            rank = static_cast<U>(rank - lowCount);
            position += static_cast<std::uint64_t>(width);
        }
    }
    if (rank != 0 || ((word >> position) & 1) == 0)
        return std::nullopt;
    return position;
}

// The most significant set bit (note: "first" counts from the top here).
inline std::optional<std::uint64_t> _firstSetBit(std::uint64_t word)
{
    if (word == 0)
        return std::nullopt;
    return static_cast<std::uint64_t>(63 - std::countl_zero(word));
}

// The least significant set bit.
inline std::optional<std::uint64_t> _lastSetBit(std::uint64_t word)
{
    if (word == 0)
        return std::nullopt;
    return static_cast<std::uint64_t>(std::countr_zero(word));
}

inline std::uint64_t _reversed(std::uint64_t word)
{
    word = ((word >> 1) & 0x5555555555555555ULL) | ((word & 0x5555555555555555ULL) << 1);
    word = ((word >> 2) & 0x3333333333333333ULL) | ((word & 0x3333333333333333ULL) << 2);
    word = ((word >> 4) & 0x0F0F0F0F0F0F0F0FULL) | ((word & 0x0F0F0F0F0F0F0F0FULL) << 4);
    return __builtin_bswap64(word);
}

} // namespace InternalCollectionsUtilities
