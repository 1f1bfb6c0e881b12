#pragma once

// One table per enumeration that has names: the cases in declaration order,
// each with its text, read both ways.

#include <array>
#include <cstddef>
#include <optional>
#include <string_view>
#include <utility>

namespace Platform {

template <class Enum, std::size_t Count>
struct EnumNames {
    std::array<std::pair<Enum, std::string_view>, Count> entries;

    constexpr std::string_view name(Enum value) const
    {
        for (const auto& [candidate, text] : entries)
            if (candidate == value)
                return text;
        return {};
    }

    // Exact, case-sensitive match; nothing for any other text.
    constexpr std::optional<Enum> value(std::string_view text) const
    {
        for (const auto& [candidate, candidateText] : entries)
            if (candidateText == text)
                return candidate;
        return std::nullopt;
    }

    constexpr std::array<Enum, Count> allCases() const
    {
        std::array<Enum, Count> cases {};
        for (std::size_t index = 0; index < Count; ++index)
            cases[index] = entries[index].first;
        return cases;
    }
};

template <class Enum, std::size_t Count>
EnumNames(std::array<std::pair<Enum, std::string_view>, Count>) -> EnumNames<Enum, Count>;

} // namespace Platform
