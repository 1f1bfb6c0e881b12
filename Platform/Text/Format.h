#pragma once

// printf-style formatting into a string ("%8.2f", "%.3f"), for reports whose
// layout is fixed by printf conversions, and Booleans as log lines write them.

#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>

namespace Platform {

// While it lives, the calling thread formats numbers as the C locale does. A
// Qt application adopts the user's locale for the whole process, and a decimal
// comma would turn the settings' "0.050" into "0,050" and change the log's and
// reports' fixed layouts; other threads keep the process's locale.
class CNumericFormatting {
public:
    CNumericFormatting();
    ~CNumericFormatting();
    CNumericFormatting(const CNumericFormatting&) = delete;
    CNumericFormatting& operator=(const CNumericFormatting&) = delete;

private:
    locale_t previous_;
};

// Always with a decimal point and no digit grouping, whatever the locale.
template <class... Arguments>
std::string formatted(const char* format, Arguments... arguments)
{
    const CNumericFormatting cLocale;
    const int length = std::snprintf(nullptr, 0, format, arguments...);
    if (length < 0)
        return {};
    std::string text(static_cast<std::size_t>(length), '\0');
    std::snprintf(text.data(), text.size() + 1, format, arguments...);
    return text;
}

// `value` truncated toward zero to a whole number, as "%lld" writes it: 245.9
// gives "245". Beyond the range of 64-bit integers it gives the nearer end,
// and NaN gives "0", so no value is undefined.
inline std::string wholeNumberText(double value)
{
    if (std::isnan(value))
        return "0";
    if (value >= 0x1p63)
        return std::to_string(INT64_MAX);
    if (value < -0x1p63)
        return std::to_string(INT64_MIN);
    return std::to_string(static_cast<long long>(value));
}

// "true" or "false".
constexpr const char* booleanText(bool value) { return value ? "true" : "false"; }

} // namespace Platform
