#pragma once

#include <string>
#include <string_view>

namespace QEL {

// Rewrites spoken forms as written ones: money, percentages, decimals,
// ordinals, number words, clock times and a few abbreviations. English only.
// Keeps no state; its patterns are compiled once and shared.
class InverseTextNormalizer {
public:
    InverseTextNormalizer() = default;

    std::string normalize(std::string_view text) const;

private:
    std::string normalizeCurrency(std::string text) const;
    std::string normalizePercentages(std::string text) const;
    std::string normalizeDecimals(std::string text) const;
    std::string normalizeOrdinals(std::string text) const;
    std::string normalizeCardinals(std::string text) const;
    std::string normalizeTimes(std::string text) const;
    std::string normalizeCommonAbbreviations(std::string text) const;
};

} // namespace QEL
