#pragma once

// Orders of positions for sorting and shuffling. The containers arrange
// positions first and move their elements only once the order is complete,
// so a throwing ordering or generator leaves them as they were.

#include "InternalCollectionsUtilities/RandomDraw.h"

#include <algorithm>
#include <cstddef>
#include <numeric>
#include <utility>
#include <vector>

namespace OrderedCollections::detail {

// A stable merge sort of positions that stays within bounds whatever the
// ordering answers (an inconsistent one only gives some order).
template <class Less>
std::vector<std::ptrdiff_t> sortedPositions(std::ptrdiff_t count, Less&& less)
{
    std::vector<std::ptrdiff_t> positions(static_cast<std::size_t>(count));
    std::iota(positions.begin(), positions.end(), 0);
    std::vector<std::ptrdiff_t> merged(positions.size());
    for (std::size_t width = 1; width < positions.size(); width *= 2) {
        for (std::size_t start = 0; start < positions.size(); start += 2 * width) {
            const std::size_t middle = std::min(start + width, positions.size());
            const std::size_t end = std::min(start + 2 * width, positions.size());
            std::size_t left = start, right = middle, out = start;
            while (left < middle && right < end)
                merged[out++] = less(positions[right], positions[left]) ? positions[right++] : positions[left++];
            while (left < middle)
                merged[out++] = positions[left++];
            while (right < end)
                merged[out++] = positions[right++];
        }
        positions.swap(merged);
    }
    return positions;
}

// A forward Fisher-Yates shuffle of positions, one draw per position but the last.
template <class Generator>
std::vector<std::ptrdiff_t> shuffledPositions(std::ptrdiff_t count, Generator& generator)
{
    std::vector<std::ptrdiff_t> positions(static_cast<std::size_t>(count));
    std::iota(positions.begin(), positions.end(), 0);
    for (std::size_t i = 0, n = positions.size(); n > 1; ++i, --n) {
        const auto r = static_cast<std::size_t>(InternalCollectionsUtilities::boundedDraw(generator, n));
        std::swap(positions[i], positions[i + r]);
    }
    return positions;
}

// The elements in the given order of their positions, moved.
template <class T>
std::vector<T> arranged(std::vector<T>& elements, const std::vector<std::ptrdiff_t>& order)
{
    std::vector<T> result;
    result.reserve(order.size());
    for (const std::ptrdiff_t position : order)
        result.push_back(std::move(elements[static_cast<std::size_t>(position)]));
    return result;
}

} // namespace OrderedCollections::detail
