#pragma once

#include <array>
#include <string_view>

namespace QEL {

// A transcription language the settings window offers.
struct LanguageConfig {
    std::string_view id;         // the language code stored as the selected language; "auto" detects it
    std::string_view name;       // in English
    std::string_view nativeName; // in the language itself

    bool operator==(const LanguageConfig&) const = default;

    // Twenty languages, then automatic detection.
    static const std::array<LanguageConfig, 21> allLanguages;
};

// clang-format off
inline constexpr std::array<LanguageConfig, 21> LanguageConfig::allLanguages{{
    {"en", "English", "English"},
    {"hi", "Hindi", "हिन्दी"},
    {"es", "Spanish", "Español"},
    {"fr", "French", "Français"},
    {"de", "German", "Deutsch"},
    {"it", "Italian", "Italiano"},
    {"pt", "Portuguese", "Português"},
    {"nl", "Dutch", "Nederlands"},
    {"ja", "Japanese", "日本語"},
    {"zh", "Chinese", "中文"},
    {"ko", "Korean", "한국어"},
    {"ar", "Arabic", "العربية"},
    {"ru", "Russian", "Русский"},
    {"tr", "Turkish", "Türkçe"},
    {"pl", "Polish", "Polski"},
    {"sv", "Swedish", "Svenska"},
    {"da", "Danish", "Dansk"},
    {"no", "Norwegian", "Norsk"},
    {"fi", "Finnish", "Suomi"},
    {"uk", "Ukrainian", "Українська"},
    {"auto", "Auto-detect", "Auto"},
}};
// clang-format on

} // namespace QEL
