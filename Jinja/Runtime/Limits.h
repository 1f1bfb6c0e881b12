#pragma once

// Bounds on what a template may build, so that a short template cannot
// exhaust memory or the stack: results that pass them fail with a runtime
// JinjaError instead.

#include <cstddef>
#include <cstdint>

namespace Jinja {

inline constexpr std::size_t maximumStringBytes = std::size_t(1) << 28;
inline constexpr std::size_t maximumArrayCount = 10'000'000;
// Arrays and objects inside each other; walks over a value recurse this deep at most.
inline constexpr int maximumNestingDepth = 256;

// Throw "Result too large" when a string of `bytes` or an array of `count`
// elements would pass the bounds.
void checkStringSize(std::size_t bytes);
void checkArrayCount(std::size_t count);

// Throws "Value nested too deeply" for a depth past the bound.
void checkNestingDepth(int depth);

} // namespace Jinja
