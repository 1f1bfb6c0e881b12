#pragma once

// The seeded hash every element of an ordered collection offers: equal values
// give equal results under one seed. Integers and strings are built in; another
// type takes part with an overload `seededHash(const T&, std::int64_t)` found by
// argument-dependent lookup.

#include <concepts>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <string>
#include <string_view>

namespace OrderedCollections {

namespace detail {

// The 128-bit product folded to 64 bits: every input bit reaches the low bits,
// which are the ones a table keeps.
inline std::uint64_t foldedProduct(std::uint64_t a, std::uint64_t b)
{
    const unsigned __int128 product = static_cast<unsigned __int128>(a) * b;
    return static_cast<std::uint64_t>(product) ^ static_cast<std::uint64_t>(product >> 64);
}

inline constexpr std::uint64_t mixKey0 = 0x9e3779b97f4a7c15ULL;
inline constexpr std::uint64_t mixKey1 = 0xbf58476d1ce4e5b9ULL;
inline constexpr std::uint64_t mixKey2 = 0x94d049bb133111ebULL;

} // namespace detail

template <std::integral T>
std::int64_t seededHash(T value, std::int64_t seed)
{
    const auto bits = static_cast<std::uint64_t>(value) ^ static_cast<std::uint64_t>(seed) ^ detail::mixKey0;
    return static_cast<std::int64_t>(detail::foldedProduct(bits, detail::mixKey1));
}

inline std::int64_t seededHash(std::string_view text, std::int64_t seed)
{
    std::uint64_t state = static_cast<std::uint64_t>(seed) ^ detail::mixKey0;
    const char* bytes = text.data();
    std::size_t remaining = text.size();
    for (; remaining >= 8; bytes += 8, remaining -= 8) {
        std::uint64_t word;
        std::memcpy(&word, bytes, 8);
        state = detail::foldedProduct(state ^ word, detail::mixKey1);
    }
    std::uint64_t tail = 0;
    if (remaining != 0)
        std::memcpy(&tail, bytes, remaining);
    state = detail::foldedProduct(state ^ tail ^ (text.size() * detail::mixKey0), detail::mixKey2);
    return static_cast<std::int64_t>(state);
}
inline std::int64_t seededHash(const std::string& text, std::int64_t seed)
{
    return seededHash(std::string_view(text), seed);
}

// Values fed one after another, for hashing a whole container.
class Hasher {
public:
    explicit Hasher(std::int64_t seed) : seed_(seed), state_(static_cast<std::uint64_t>(seed) ^ detail::mixKey2) {}

    template <class T>
    void combine(const T& value)
    {
        const auto hash = static_cast<std::uint64_t>(seededHash(value, seed_));
        state_ = detail::foldedProduct(state_ ^ hash, detail::mixKey1);
    }
    std::int64_t finalize() const { return static_cast<std::int64_t>(detail::foldedProduct(state_, detail::mixKey0)); }

private:
    std::int64_t seed_;
    std::uint64_t state_;
};

// The hash of a sequence: its count, then each element in order.
template <class Sequence>
std::int64_t seededHashOfSequence(const Sequence& elements, std::int64_t seed)
{
    Hasher hasher(seed);
    hasher.combine(static_cast<std::int64_t>(std::size(elements)));
    for (const auto& element : elements)
        hasher.combine(element);
    return hasher.finalize();
}

// The hash without a seed, as a plain hash map would use it.
template <class T>
std::int64_t hashValue(const T& value)
{
    return seededHash(value, 0);
}

} // namespace OrderedCollections
