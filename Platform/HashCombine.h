#pragma once

// Mixing the hashes of a record's fields into one, for std::hash
// specialisations of value records.

#include <cstddef>
#include <functional>

namespace Platform {

template <class T>
void hashCombine(std::size_t& seed, const T& value)
{
    seed ^= std::hash<T> {}(value) + 0x9e3779b97f4a7c15ULL + (seed << 6) + (seed >> 2);
}

} // namespace Platform
