#include "Jinja/Builtins/Filters.h"
#include "Jinja/Builtins/Filters/KindChecks.h"
#include "Jinja/Builtins/StringMethods.h"
#include "Jinja/JinjaError.h"
#include "Jinja/Runtime/ComposedText.h"
#include "Jinja/Runtime/Limits.h"
#include "Jinja/Text/Characters.h"
#include "Platform/Text/CaseMapping.h"
#include "Platform/Text/CharacterProperties.h"
#include "Platform/Text/Graphemes.h"
#include "Platform/Text/UnicodeScalars.h"

#include <algorithm>
#include <array>
#include <limits>

namespace Jinja::Filters {

namespace {

const Signature capitalizeSignature{
    .parameters = {}, .withoutInput = emptyText, .accepts = isString, .refused = emptyTextInstead};

const Parameter centerParameters[] = {{"width", std::nullopt}};
const Signature centerSignature{
    .parameters = centerParameters, .withoutInput = emptyText, .accepts = isString, .refused = unchanged};

const Signature wordcountSignature{.parameters = {},
                                   .withoutInput = [] { return Value(0); },
                                   .accepts = isString,
                                   .refused = [](const Value&) { return Value(0); }};

const Parameter replaceParameters[] = {{"old", std::nullopt}, {"new", std::nullopt}, {"count", Value::null()}};
const Signature replaceSignature{
    .parameters = replaceParameters, .withoutInput = emptyText, .accepts = isString, .refused = unchanged};

const Parameter truncateParameters[] = {
    {"length", Value(255)}, {"killwords", Value(false)}, {"end", Value("...")}, {"leeway", Value(5)}};
const Signature truncateSignature{
    .parameters = truncateParameters, .withoutInput = emptyText, .accepts = isString, .refused = emptyTextInstead};

const Parameter indentParameters[] = {{"width", Value(4)}, {"first", Value(false)}, {"blank", Value(false)}};
const Signature indentSignature{
    .parameters = indentParameters, .withoutInput = emptyText, .accepts = isString, .refused = emptyTextInstead};

bool isWhiteSpaceCharacter(std::string_view character)
{
    const std::optional<char32_t> codePoint = Platform::firstCodePoint(character);
    return codePoint && Platform::isWhiteSpace(*codePoint);
}

// ASCII without "\r\n" is one character a byte, which saves cutting it.
std::size_t characterCount(std::string_view text)
{
    return ByteCharacters::fits(text) ? text.size() : Platform::graphemeCount(text);
}

bool isASCIIWhiteSpace(char byte)
{
    return byte == ' ' || (byte >= '\t' && byte <= '\r');
}

// A count the caller wrote, read as at least 0; absent for any other kind.
std::optional<std::uint64_t> countOf(const Value& value)
{
    if (!value.isInt())
        return std::nullopt;
    return static_cast<std::uint64_t>(std::max<std::int64_t>(value.asInt(), 0));
}

// `count` spaces, failing before allocating past the bound.
std::string spaces(std::uint64_t count)
{
    checkStringSize(count > maximumStringBytes ? std::numeric_limits<std::size_t>::max() : count);
    return std::string(count, ' ');
}

// Left to right, each occurrence after the previous one, at most `limit` of them.
std::string replacedOnce(const std::string& text, const std::string& old, const std::string& inserted,
                         std::uint64_t limit)
{
    std::string replaced;
    std::size_t start = 0;
    for (std::uint64_t made = 0; made < limit; ++made) {
        const std::size_t found = text.find(old, start);
        if (found == std::string::npos)
            break;
        replaced.append(text, start, found - start);
        replaced += inserted;
        checkStringSize(replaced.size());
        start = found + old.size();
    }
    replaced.append(text, start);
    checkStringSize(replaced.size());
    return replaced;
}

} // namespace

Value capitalize(std::span<const Value> arguments, const KeywordArguments& keywordArguments, const Environment&)
{
    const Prologue prologue = begin(arguments, keywordArguments, capitalizeSignature);
    if (prologue.result)
        return *prologue.result;
    const std::string& text = prologue.input.asString().utf8();
    const std::string_view first = Platform::firstGrapheme(text);
    return Value(Platform::uppercased(first) + Platform::lowercased(std::string_view(text).substr(first.size())));
}

Value center(std::span<const Value> arguments, const KeywordArguments& keywordArguments, const Environment&)
{
    const Prologue prologue = begin(arguments, keywordArguments, centerSignature);
    if (prologue.result)
        return *prologue.result;
    const Value& width = prologue.bound[0];
    if (!width.isInt())
        throw JinjaError(JinjaError::Kind::runtime, "center filter requires width parameter");
    const std::string& text = prologue.input.asString().utf8();
    const auto length = static_cast<std::int64_t>(characterCount(text));
    if (width.asInt() - length < 1)
        return prologue.input;
    const auto pad = static_cast<std::uint64_t>(width.asInt() - length);
    std::string result = spaces(pad / 2);
    checkStringSize(pad > maximumStringBytes ? std::numeric_limits<std::size_t>::max() : text.size() + pad);
    result += text;
    result += spaces(pad - pad / 2);
    return Value(std::move(result));
}

Value title(std::span<const Value> arguments, const KeywordArguments& keywordArguments, const Environment&)
{
    const Prologue prologue = begin(arguments, keywordArguments, capitalizeSignature);
    if (prologue.result)
        return *prologue.result;
    return StringMethods::title(prologue.input, {});
}

Value wordcount(std::span<const Value> arguments, const KeywordArguments& keywordArguments, const Environment&)
{
    const Prologue prologue = begin(arguments, keywordArguments, wordcountSignature);
    if (prologue.result)
        return *prologue.result;
    const std::string& text = prologue.input.asString().utf8();
    std::int64_t words = 0;
    bool inWord = false;
    if (Platform::isASCII(text)) {
        // A table and no branch on the text: a word starts after each space.
        static constexpr auto spaces = [] {
            std::array<bool, 256> table{};
            for (const char byte : std::string_view(" \t\n\v\f\r"))
                table[static_cast<unsigned char>(byte)] = true;
            return table;
        }();
        bool spaceBefore = true;
        for (const char byte : text) {
            const bool space = spaces[static_cast<unsigned char>(byte)];
            words += spaceBefore & !space;
            spaceBefore = space;
        }
        return Value(words);
    }
    Platform::forEachCodePoint(text, [&](std::optional<char32_t> codePoint, std::string_view) {
        const bool space = codePoint && Platform::isWhiteSpace(*codePoint);
        words += !space && !inWord ? 1 : 0;
        inWord = !space;
    });
    return Value(words);
}

Value replace(std::span<const Value> arguments, const KeywordArguments& keywordArguments, const Environment&)
{
    const Prologue prologue = begin(arguments, keywordArguments, replaceSignature);
    if (prologue.result)
        return *prologue.result;
    const Value& old = prologue.bound[0];
    const Value& inserted = prologue.bound[1];
    if (!old.isString() || !inserted.isString())
        throw JinjaError(JinjaError::Kind::runtime, "replace() requires 'old' and 'new' string arguments.");
    const std::optional<std::uint64_t> limit = countOf(prologue.bound[2]);
    if (limit == 0u)
        return prologue.input;
    // Around every character, so there is nothing to search again.
    if (old.asString().empty())
        return StringMethods::replace(prologue.input, prologue.bound);
    return Value(replacedOnce(composedText(prologue.input.asString().utf8()), composedText(old.asString().utf8()),
                              inserted.asString().utf8(), limit.value_or(std::numeric_limits<std::uint64_t>::max())));
}

Value truncate(std::span<const Value> arguments, const KeywordArguments& keywordArguments, const Environment&)
{
    const Prologue prologue = begin(arguments, keywordArguments, truncateSignature);
    if (prologue.result)
        return *prologue.result;
    const std::uint64_t length = countOf(prologue.bound[0]).value_or(255);
    const bool killwords = prologue.bound[1].isTruthy();
    const std::string_view end =
        prologue.bound[2].isString() ? std::string_view(prologue.bound[2].asString().utf8()) : "...";
    const std::uint64_t leeway = countOf(prologue.bound[3]).value_or(5);
    const std::string& text = prologue.input.asString().utf8();
    const bool bytewise = ByteCharacters::fits(text);
    const std::uint64_t characters = bytewise ? text.size() : Platform::graphemeCount(text);
    if (characters <= length || characters - length <= leeway)
        return prologue.input;
    if (bytewise) {
        std::string_view prefix = std::string_view(text).substr(0, length);
        const std::size_t space = prefix.find_last_of(" \t\n\v\f\r");
        if (!killwords && space != std::string_view::npos)
            prefix = prefix.substr(0, space);
        return Value(std::string(prefix) + std::string(end));
    }
    std::string_view prefix = Platform::graphemePrefix(text, length);
    if (!killwords) {
        const std::vector<std::string_view> kept = Platform::graphemeClusters(prefix);
        const auto space = std::find_if(kept.rbegin(), kept.rend(), isWhiteSpaceCharacter);
        if (space != kept.rend())
            prefix = prefix.substr(0, static_cast<std::size_t>(space->data() - prefix.data()));
    }
    std::string result(prefix);
    result += end;
    return Value(std::move(result));
}

Value indent(std::span<const Value> arguments, const KeywordArguments& keywordArguments, const Environment&)
{
    const Prologue prologue = begin(arguments, keywordArguments, indentSignature);
    if (prologue.result)
        return *prologue.result;
    const Value& width = prologue.bound[0];
    const std::string indentation = width.isInt()      ? spaces(*countOf(width))
                                    : width.isString() ? width.asString().utf8()
                                                       : std::string(4, ' ');
    const bool first = prologue.bound[1].isTruthy();
    const bool blank = prologue.bound[2].isTruthy();
    const std::string_view text = prologue.input.asString().utf8();
    std::string result;
    std::size_t start = 0;
    for (bool isFirst = true;; isFirst = false) {
        // A line feed after a carriage return belongs to one character and does not end a line.
        std::size_t end = text.find('\n', start);
        while (end != std::string_view::npos && end > 0 && text[end - 1] == '\r')
            end = text.find('\n', end + 1);
        const std::string_view line = text.substr(start, end == std::string_view::npos ? end : end - start);
        if ((!isFirst || first) && (!line.empty() || blank)) {
            checkStringSize(result.size() + indentation.size() + line.size());
            result += indentation;
        }
        result += line;
        if (end == std::string_view::npos)
            break;
        result += '\n';
        start = end + 1;
    }
    checkStringSize(result.size());
    return Value(std::move(result));
}

void addTextFilters(Table& table)
{
    table.emplace("capitalize", capitalize);
    table.emplace("center", center);
    table.emplace("title", title);
    table.emplace("wordcount", wordcount);
    table.emplace("replace", replace);
    table.emplace("truncate", truncate);
    table.emplace("indent", indent);
}

} // namespace Jinja::Filters
