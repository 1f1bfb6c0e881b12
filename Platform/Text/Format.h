#pragma once

// printf-style formatting into a string ("%8.2f", "%.3f"), for reports whose
// layout is fixed by printf conversions.

#include <cstdio>
#include <string>

namespace Platform {

template <class... Arguments>
std::string formatted(const char* format, Arguments... arguments)
{
    const int length = std::snprintf(nullptr, 0, format, arguments...);
    if (length < 0)
        return {};
    std::string text(static_cast<std::size_t>(length), '\0');
    std::snprintf(text.data(), text.size() + 1, format, arguments...);
    return text;
}

} // namespace Platform
