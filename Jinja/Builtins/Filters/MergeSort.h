#pragma once

// A stable merge sort that calls only the comparison it is given and stops at
// the first one that throws. The standard sorts have undefined behaviour when
// the comparison is not a consistent order, and ours need not be.

#include <algorithm>
#include <cstddef>
#include <utility>
#include <vector>

namespace Jinja::Filters {

// `compare(a, b)` is below 0 when a goes first; ties keep their order.
template <class Element, class Compare>
void mergeSort(std::vector<Element>& elements, const Compare& compare)
{
    std::vector<Element> buffer(elements.size());
    for (std::size_t width = 1; width < elements.size(); width *= 2) {
        for (std::size_t left = 0; left < elements.size(); left += 2 * width) {
            const std::size_t middle = std::min(left + width, elements.size());
            const std::size_t right = std::min(left + 2 * width, elements.size());
            std::size_t first = left;
            std::size_t second = middle;
            std::size_t out = left;
            while (first < middle && second < right)
                buffer[out++] = compare(elements[second], elements[first]) < 0 ? std::move(elements[second++])
                                                                               : std::move(elements[first++]);
            while (first < middle)
                buffer[out++] = std::move(elements[first++]);
            while (second < right)
                buffer[out++] = std::move(elements[second++]);
        }
        elements.swap(buffer);
    }
}

} // namespace Jinja::Filters
