#pragma once

// Keys for the collection benchmarks: distinct random integers and short
// strings, with lookups in random order and keys that are surely absent.

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace QelBench {

// `count` distinct keys, then as many more that are not among them.
inline std::vector<std::int64_t> distinctIntegers(std::size_t count, std::uint64_t seed = 1)
{
    std::mt19937_64 random(seed);
    std::vector<std::int64_t> keys(2 * count);
    for (std::size_t i = 0; i < keys.size(); ++i)
        keys[i] = static_cast<std::int64_t>((random() & ~std::uint64_t(0xffffff)) | i);
    return keys;
}

// 8 to 24 characters; the index in the text keeps them distinct.
inline std::vector<std::string> distinctStrings(std::size_t count, std::uint64_t seed = 1)
{
    std::mt19937_64 random(seed);
    std::vector<std::string> keys(2 * count);
    for (std::size_t i = 0; i < keys.size(); ++i) {
        std::string key(1, 'k');
        key += std::to_string(i);
        key += '_';
        const std::size_t length = 8 + random() % 17;
        while (key.size() < length)
            key += static_cast<char>('a' + random() % 26);
        keys[i] = key;
    }
    return keys;
}

template <class Key>
std::vector<Key> shuffled(std::vector<Key> keys, std::uint64_t seed = 2)
{
    std::shuffle(keys.begin(), keys.end(), std::mt19937_64(seed));
    return keys;
}

} // namespace QelBench
