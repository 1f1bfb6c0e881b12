#include "Platform/ML/Whisper/WhisperLanguages.h"

#include <algorithm>
#include <array>

namespace Platform::ML {
namespace {

constexpr std::array<std::string_view, 100> kLanguageCodes = {
    "en", "zh", "de", "es", "ru", "ko", "fr", "ja", "pt", "tr", "pl", "ca", "nl", "ar", "sv",
    "it", "id", "hi", "fi", "vi", "he", "uk", "el", "ms", "cs", "ro", "da", "hu", "ta", "no",
    "th", "ur", "hr", "bg", "lt", "la", "mi", "ml", "cy", "sk", "te", "fa", "lv", "bn", "sr",
    "az", "sl", "kn", "et", "mk", "br", "eu", "is", "hy", "ne", "mn", "bs", "kk", "sq", "sw",
    "gl", "mr", "pa", "si", "km", "sn", "yo", "so", "af", "oc", "ka", "be", "tg", "sd", "gu",
    "am", "yi", "lo", "uz", "fo", "ht", "ps", "tk", "nn", "mt", "sa", "lb", "my", "bo", "tl",
    "mg", "as", "tt", "haw", "ln", "ha", "ba", "jw", "su", "yue"};

} // namespace

std::span<const std::string_view> whisperLanguageCodes() { return kLanguageCodes; }

std::optional<int> whisperLanguageIndex(std::string_view code)
{
    auto it = std::find(kLanguageCodes.begin(), kLanguageCodes.end(), code);
    if (it == kLanguageCodes.end())
        return std::nullopt;
    return static_cast<int>(it - kLanguageCodes.begin());
}

} // namespace Platform::ML
