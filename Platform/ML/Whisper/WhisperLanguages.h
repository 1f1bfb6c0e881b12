#pragma once

#include <optional>
#include <span>
#include <string_view>

namespace Platform::ML {

// Language codes in the order of their tokens: a multilingual vocabulary
// holds one token per code, consecutively from its first language token.
std::span<const std::string_view> whisperLanguageCodes();

// The index of a language code in that order, or nothing for an unknown code.
std::optional<int> whisperLanguageIndex(std::string_view code);

} // namespace Platform::ML
