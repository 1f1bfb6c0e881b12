#pragma once

#include <array>
#include <optional>
#include <span>
#include <string_view>

namespace Platform::ML {

struct WhisperLanguage {
    std::string_view code;
    // Lower-case English names: the usual one first, then any others it goes
    // by ("burmese" beside "myanmar"); unused places are empty.
    std::array<std::string_view, 3> names;
};

// The languages in the order of their tokens: a multilingual vocabulary holds
// one token per code, consecutively from its first language token.
std::span<const WhisperLanguage> whisperLanguages();

// The index of a language code in that order, or nothing for an unknown code.
std::optional<int> whisperLanguageIndex(std::string_view code);

} // namespace Platform::ML
