#pragma once

#include <array>
#include <compare>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace Platform {

// A 128-bit universally unique identifier.
struct UUID {
    std::array<std::uint8_t, 16> bytes {};

    // A new version-4 (random) identifier.
    static UUID random();

    // The canonical upper-case text form, e.g. "E621E1F8-C36C-495A-93FC-0C247A3E6E5F".
    std::string uuidString() const;

    auto operator<=>(const UUID&) const = default;
};

} // namespace Platform

template <>
struct std::hash<Platform::UUID> {
    std::size_t operator()(const Platform::UUID& uuid) const noexcept
    {
        std::uint64_t high = 0;
        std::uint64_t low = 0;
        for (int i = 0; i < 8; ++i) {
            high = high << 8 | uuid.bytes[static_cast<size_t>(i)];
            low = low << 8 | uuid.bytes[static_cast<size_t>(i + 8)];
        }
        return std::hash<std::uint64_t> {}(high ^ (low * 0x9E3779B97F4A7C15ull));
    }
};
