#include "Jinja/Builtins/DatePattern.h"

#include <array>
#include <utility>

namespace Jinja {

namespace {

constexpr std::array<std::pair<char, std::string_view>, 23> fields{{
    {'a', "EEE"}, {'A', "EEEE"},       {'b', "MMM"},      {'B', "MMMM"}, {'c', "EEE MMM d HH:mm:ss yyyy"},
    {'d', "dd"},  {'H', "HH"},         {'I', "h"},        {'j', "DDD"},  {'m', "MM"},
    {'M', "mm"},  {'p', "a"},          {'S', "ss"},       {'U', "ww"},   {'w', "e"},
    {'W', "ww"},  {'x', "MM/dd/yyyy"}, {'X', "HH:mm:ss"}, {'y', "yy"},   {'Y', "yyyy"},
    {'z', "Z"},   {'Z', "zzz"},        {'%', "%"},
}};

std::string_view fieldFor(char code)
{
    for (const auto& [letter, field] : fields)
        if (letter == code)
            return field;
    return {};
}

void flush(std::string& literal, std::string& pattern)
{
    if (literal.empty())
        return;
    pattern += '\'';
    for (char byte : literal) {
        if (byte == '\'')
            pattern += '\'';
        pattern += byte;
    }
    pattern += '\'';
    literal.clear();
}

} // namespace

std::string datePattern(std::string_view format)
{
    std::string pattern;
    std::string literal;
    for (std::size_t index = 0; index < format.size(); ++index) {
        if (format[index] != '%') {
            literal += format[index];
        } else if (index + 1 == format.size()) {
            literal += '%';
        } else if (const std::string_view field = fieldFor(format[++index]); !field.empty()) {
            flush(literal, pattern);
            pattern += field;
        } else {
            literal += '%';
            literal += format[index];
        }
    }
    flush(literal, pattern);
    return pattern;
}

} // namespace Jinja
