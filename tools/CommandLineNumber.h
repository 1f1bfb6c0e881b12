#pragma once

#include <charconv>
#include <stdexcept>
#include <string>
#include <string_view>
#include <type_traits>

namespace QelTools {

// Reads a command-line option's numeric value. The whole value must be a number
// of the option's type, so "12abc" (or "1.5" for a whole number) is refused
// with a message naming the option.
template <typename Number>
Number parseNumber(std::string_view flag, std::string_view value)
{
    Number number{};
    const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), number);
    if (error != std::errc() || end != value.data() + value.size())
        throw std::invalid_argument(std::string(flag) +
                                    (std::is_integral_v<Number> ? " needs a whole number" : " needs a number") +
                                    ", not \"" + std::string(value) + "\"");
    return number;
}

} // namespace QelTools
