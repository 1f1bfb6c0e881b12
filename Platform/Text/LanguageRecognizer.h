#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace Platform {

// The dominant language of a text, judged by the writing systems of its
// letters: Han "zh", Japanese kana (with the Han characters written among
// them) "ja", Thai "th", Lao "lo", Myanmar "my", Hangul "ko". Text mostly in
// any other script, or without letters, gives nothing: those languages are
// not told apart by script alone.
std::optional<std::string> dominantLanguage(std::string_view text);

} // namespace Platform
