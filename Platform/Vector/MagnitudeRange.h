#pragma once

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <span>

namespace Platform {

// The largest and smallest magnitude of the samples; both 0 for none.
struct MagnitudeRange {
    float largest = 0;
    float smallest = 0;
};

// Kept in eight running lanes, which the compiler turns into vector
// instructions; one lane would be a chain of dependent comparisons.
inline MagnitudeRange magnitudeRange(std::span<const float> samples)
{
    if (samples.empty())
        return {};
    constexpr std::size_t lanes = 8;
    std::array<float, lanes> largest{};
    std::array<float, lanes> smallest;
    smallest.fill(std::numeric_limits<float>::infinity());
    std::size_t index = 0;
    for (; index + lanes <= samples.size(); index += lanes)
        for (std::size_t lane = 0; lane < lanes; ++lane) {
            const float magnitude = std::fabs(samples[index + lane]);
            largest[lane] = largest[lane] < magnitude ? magnitude : largest[lane];
            smallest[lane] = smallest[lane] > magnitude ? magnitude : smallest[lane];
        }
    for (; index < samples.size(); ++index) {
        const float magnitude = std::fabs(samples[index]);
        largest[0] = std::max(largest[0], magnitude);
        smallest[0] = std::min(smallest[0], magnitude);
    }
    return {*std::max_element(largest.begin(), largest.end()), *std::min_element(smallest.begin(), smallest.end())};
}

} // namespace Platform
