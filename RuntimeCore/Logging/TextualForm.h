#pragma once

#include <charconv>
#include <cmath>
#include <concepts>
#include <sstream>
#include <string>
#include <string_view>

namespace RuntimeCore {

// A value as a log message shows it: text unchanged, Booleans as true/false,
// numbers in their shortest exact form with fractional numbers always showing a
// decimal point (2.0, 0.1), anything else through its stream output.
template <class T>
std::string textualForm(const T& value)
{
    if constexpr (std::convertible_to<const T&, std::string_view>) {
        return std::string(std::string_view(value));
    } else if constexpr (std::same_as<T, bool>) {
        return value ? "true" : "false";
    } else if constexpr (std::floating_point<T>) {
        char text[64];
        std::string result(text, std::to_chars(text, text + sizeof text, value).ptr);
        if (std::isfinite(value) && result.find_first_of(".e") == std::string::npos)
            result += ".0";
        return result;
    } else if constexpr (std::integral<T>) {
        return std::to_string(value);
    } else {
        std::ostringstream stream;
        stream << value;
        return stream.str();
    }
}

} // namespace RuntimeCore
