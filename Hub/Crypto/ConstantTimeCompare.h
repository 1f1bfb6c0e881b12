#pragma once

// Equality of two byte sequences in a time that depends on their lengths
// only, never on where they first differ, for comparing secrets.

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <ranges>
#include <span>

namespace Hub {

// Any two ranges of unsigned bytes, of the same or different container types.
// Sequences of different lengths are unequal without a byte being read;
// otherwise every byte of both is read.
template <std::ranges::forward_range First, std::ranges::forward_range Second>
bool constantTimeCompare(const First& lhs, const Second& rhs)
{
    if (std::ranges::distance(lhs) != std::ranges::distance(rhs))
        return false;
    std::uint8_t difference = 0;
    auto other = std::ranges::begin(rhs);
    for (auto byte = std::ranges::begin(lhs); byte != std::ranges::end(lhs); ++byte, ++other)
        difference |= static_cast<std::uint8_t>(static_cast<std::uint8_t>(*byte) ^ static_cast<std::uint8_t>(*other));
    return difference == 0;
}

// Two values that hold their bytes in one contiguous run, as raw bytes.
template <std::ranges::contiguous_range First, std::ranges::contiguous_range Second>
bool openSSLSafeCompare(const First& lhs, const Second& rhs)
{
    const auto bytes = [](const auto& value) {
        return std::as_bytes(std::span(std::ranges::data(value), std::ranges::size(value)));
    };
    const auto left = bytes(lhs);
    const auto right = bytes(rhs);
    return constantTimeCompare(std::span(reinterpret_cast<const std::uint8_t*>(left.data()), left.size()),
                               std::span(reinterpret_cast<const std::uint8_t*>(right.data()), right.size()));
}

} // namespace Hub
