#pragma once

// The random source of the built-ins that draw: one engine per thread, seeded
// by the system, so that renderings on several threads share no state.

#include <cstddef>
#include <random>

namespace Jinja {

std::mt19937_64& randomEngine();

// A position drawn uniformly below `count`, which must not be 0.
std::size_t randomIndex(std::size_t count);

} // namespace Jinja
