#include "Jinja/Runtime/NumberText.h"

#include <charconv>
#include <cmath>

namespace Jinja {

std::string doubleText(double number)
{
    if (std::isnan(number))
        return "nan";
    if (std::isinf(number))
        return number < 0 ? "-inf" : "inf";
    if (number == 0)
        return std::signbit(number) ? "-0.0" : "0.0";
    const double magnitude = std::fabs(number);
    const bool positional = magnitude >= 0.0001 && magnitude <= 9007199254740992.0;
    char buffer[64];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, number,
                                   positional ? std::chars_format::fixed : std::chars_format::scientific)
                         .ptr;
    std::string text(buffer, end);
    if (positional && text.find('.') == std::string::npos)
        text += ".0";
    return text;
}

} // namespace Jinja
