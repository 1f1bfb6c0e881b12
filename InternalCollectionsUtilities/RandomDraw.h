#pragma once

// Uniform draws below a bound from any random bit generator, by multiplying
// and keeping the high bits (a generator that always gives 0 draws 0), and the
// system's generator for the containers' shuffles.

#include <cstdint>
#include <limits>
#include <random>

namespace InternalCollectionsUtilities {

template <class Generator>
std::uint64_t boundedDraw(Generator& generator, std::uint64_t bound)
{
    using Result = typename std::remove_cvref_t<Generator>::result_type;
    constexpr std::uint64_t span = static_cast<std::uint64_t>(Generator::max() - Generator::min());
    if constexpr (span == std::numeric_limits<std::uint64_t>::max()) {
        const auto bits = static_cast<std::uint64_t>(static_cast<Result>(generator() - Generator::min()));
        return static_cast<std::uint64_t>((static_cast<unsigned __int128>(bits) * bound) >> 64);
    } else if constexpr (span == std::numeric_limits<std::uint32_t>::max()) {
        const auto bits = static_cast<std::uint64_t>(generator() - Generator::min());
        const auto high = static_cast<std::uint64_t>(generator() - Generator::min());
        return static_cast<std::uint64_t>((static_cast<unsigned __int128>((high << 32) | bits) * bound) >> 64);
    } else {
        return std::uniform_int_distribution<std::uint64_t>(0, bound - 1)(generator);
    }
}

// Seeded once per thread from the system's entropy.
inline std::mt19937_64& systemRandomGenerator()
{
    thread_local std::mt19937_64 generator{std::random_device{}()};
    return generator;
}

} // namespace InternalCollectionsUtilities
