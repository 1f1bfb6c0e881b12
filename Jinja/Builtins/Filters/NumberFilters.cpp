#include "Jinja/Builtins/Filters.h"
#include "Jinja/JinjaError.h"
#include "Platform/Text/CharacterSets.h"

#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <locale.h>

namespace Jinja::Filters {

namespace {

const Signature absSignature{.parameters = {}, .withoutInput = [] { return Value(0); }};

const Parameter floatParameters[] = {{"default", Value(0.0)}};
const Signature floatSignature{.parameters = floatParameters, .withoutInput = [] { return Value(0.0); }};

const Parameter intParameters[] = {{"default", Value(0)}, {"base", Value(10)}};
const Signature intSignature{.parameters = intParameters, .withoutInput = [] { return Value(0); }};

const Parameter roundParameters[] = {{"precision", Value(0)}, {"method", Value("common")}};
const Signature roundSignature{.parameters = roundParameters, .withoutInput = [] { return Value(0.0); }};

// The C locale's notation whatever locale the process has adopted.
std::optional<double> parsedDouble(const std::string& text)
{
    static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", nullptr);
    using namespace std::string_view_literals;
    if (text.empty() || " \t\n\v\f\r\0"sv.find(text.front()) != std::string_view::npos)
        return std::nullopt;
    char* end = nullptr;
    const double number = strtod_l(text.c_str(), &end, cLocale);
    if (end != text.c_str() + text.size())
        return std::nullopt;
    return number;
}

// An optional sign, then one or more digits of `base` and nothing else, within 64 bits.
std::optional<std::int64_t> parsedInteger(std::string_view text, int base)
{
    const bool negative = !text.empty() && text.front() == '-';
    if (!text.empty() && (text.front() == '-' || text.front() == '+'))
        text.remove_prefix(1);
    std::uint64_t magnitude = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), magnitude, base);
    if (text.empty() || error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    constexpr auto largest = static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());
    if (magnitude > largest + (negative ? 1 : 0))
        return std::nullopt;
    if (negative)
        return magnitude == largest + 1 ? std::numeric_limits<std::int64_t>::min()
                                        : -static_cast<std::int64_t>(magnitude);
    return static_cast<std::int64_t>(magnitude);
}

std::optional<std::int64_t> integerOfText(std::string_view text, const Value& base)
{
    text = Platform::trimming(text, Platform::CharacterSet::whitespacesAndNewlines);
    if (text.size() >= 2 && text[0] == '0') {
        const char prefix = static_cast<char>(text[1] | 0x20);
        const int prefixBase = prefix == 'b' ? 2 : prefix == 'o' ? 8 : prefix == 'x' ? 16 : 0;
        if (prefixBase != 0)
            return parsedInteger(text.substr(2), prefixBase);
    }
    if (base.isInt() && base.asInt() >= 2 && base.asInt() <= 36 && base.asInt() != 10 && !text.empty())
        if (const auto number = parsedInteger(text, static_cast<int>(base.asInt())))
            return number;
    return parsedInteger(text, 10);
}

} // namespace

Value abs(std::span<const Value> arguments, const KeywordArguments& keywordArguments, const Environment&)
{
    const Prologue prologue = begin(arguments, keywordArguments, absSignature);
    if (prologue.result)
        return *prologue.result;
    const Value& input = prologue.input;
    if (input.isInt()) {
        if (input.asInt() == std::numeric_limits<std::int64_t>::min())
            throw JinjaError(JinjaError::Kind::runtime, "Integer overflow (" + input.description() + ")");
        return Value(input.asInt() < 0 ? -input.asInt() : input.asInt());
    }
    if (input.isDouble())
        return Value(std::fabs(input.asDouble()));
    throw JinjaError(JinjaError::Kind::runtime, "abs filter requires number or integer");
}

Value toFloat(std::span<const Value> arguments, const KeywordArguments& keywordArguments, const Environment&)
{
    const Prologue prologue = begin(arguments, keywordArguments, floatSignature);
    if (prologue.result)
        return *prologue.result;
    const Value& input = prologue.input;
    if (input.isNumeric())
        return Value(input.asNumber());
    if (input.isString())
        if (const auto number = parsedDouble(input.asString().utf8()))
            return Value(*number);
    return prologue.bound[0];
}

Value toInt(std::span<const Value> arguments, const KeywordArguments& keywordArguments, const Environment&)
{
    const Prologue prologue = begin(arguments, keywordArguments, intSignature);
    if (prologue.result)
        return *prologue.result;
    const Value& input = prologue.input;
    if (input.isInt())
        return input;
    // A double outside 64 bits, or not finite, has no integer to truncate to.
    if (input.isDouble() && input.asDouble() >= -0x1p63 && input.asDouble() < 0x1p63)
        return Value(static_cast<std::int64_t>(input.asDouble()));
    if (input.isString())
        if (const auto number = integerOfText(input.asString().utf8(), prologue.bound[1]))
            return Value(*number);
    return prologue.bound[0];
}

Value round(std::span<const Value> arguments, const KeywordArguments& keywordArguments, const Environment&)
{
    const Prologue prologue = begin(arguments, keywordArguments, roundSignature);
    if (prologue.result)
        return *prologue.result;
    if (!prologue.input.isNumeric())
        return prologue.input;
    const double number = prologue.input.asNumber();
    const Value& precision = prologue.bound[0];
    const Value& method = prologue.bound[1];
    const double factor = std::pow(10.0, precision.isInt() ? static_cast<double>(precision.asInt()) : 0.0);
    const std::string_view name = method.isString() ? std::string_view(method.asString().utf8()) : "common";
    if (name == "common")
        return Value(std::round(number * factor) / factor);
    if (name == "ceil")
        return Value(std::ceil(number * factor) / factor);
    if (name == "floor")
        return Value(std::floor(number * factor) / factor);
    return Value(number);
}

void addNumberFilters(Table& table)
{
    table.emplace("abs", abs);
    table.emplace("float", toFloat);
    table.emplace("int", toInt);
    table.emplace("round", round);
}

} // namespace Jinja::Filters
